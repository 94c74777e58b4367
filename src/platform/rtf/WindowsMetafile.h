#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// A small, bounded player for Windows metafiles (WMF, with or without the placeable header):
// draws the common records onto an image, skips unknown ones and rejects malformed files.
namespace wmf {

// True when the bytes start like a Windows metafile.
bool looksLikeMetafile(const QByteArray& bytes);

// Draws the metafile onto a new image. `targetSize`, when valid, is the size in pixels to draw at;
// otherwise the metafile's own extent decides (bounded). Returns a null image and sets `error`
// for bytes that are not a metafile or are malformed.
QImage render(const QByteArray& bytes, QSize targetSize = QSize(), QString* error = nullptr);

} // namespace wmf
