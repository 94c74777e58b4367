#pragma once

#include <QImage>
#include <QString>

// Loading and saving pictures, as the runtime's LoadPicture and SavePicture did: bitmaps, JPEG,
// GIF, PNG and Windows metafiles in; Windows bitmaps out. Failures raise PlatformError (481
// "Invalid picture" for a file that is not a picture or is too large to load safely).
namespace picture
{

// Pictures over this many pixels are refused before they are decoded.
constexpr qint64 MaxPixels = 64LL * 1024 * 1024;

QImage LoadPicture(const QString& path);
void SavePicture(const QImage& image, const QString& path);

} // namespace picture
