#pragma once

#include <QByteArray>
#include <QImage>
#include <QTextImageFormat>

// Pictures in RTF: from the bytes of a \pict group to an image and its QTextImageFormat, with every
// size checked before anything is decoded.
namespace rtf::detail
{

enum class PictureKind { Unknown, Png, Jpeg, Emf, Wmf, Dib, WBitmap, MacPict, PmMetafile };

// The most picture data kept from one \pict group.
constexpr qsizetype MaxPictureBytes = 256 * 1024 * 1024;
// No picture is shown larger than this (about 69 inches), whatever its goal size says.
constexpr int MaxPictureTwips = 100000;
// No decoded picture has more pixels than this, and a document decodes at most
// PictureBudget::pixelsLeft pixels in all; pictures past that show as a placeholder.
constexpr qint64 MaxPicturePixels = 32LL * 1024 * 1024;
constexpr int MaxPictureSide = 30000;

struct Picture {
    PictureKind kind = PictureKind::Unknown;
    int picW = 0, picH = 0;
    int goalW = 0, goalH = 0;
    int scaleX = 100, scaleY = 100;
    int bitsPerPixel = 1;
    int widthBytes = 0;
    QByteArray data;
};

struct PictureBudget {
    qint64 pixelsLeft = 96LL * 1024 * 1024;
};

struct DecodedPicture {
    QTextImageFormat format;
    QImage image;
};

// The image and the format (resource name, size in pixels at 96 dpi, original bytes and kind,
// goal size in twips) of a picture; a placeholder box when it cannot be shown.
DecodedPicture decodePicture(const Picture& picture, PictureBudget& budget);

// The kind names kept in docformat::ImageOriginalKind.
const char* kindName(PictureKind kind);

// A decoded image of encoded bytes (PNG, JPEG, BMP, GIF, ...), or a null image when the bytes are
// not a picture or it would be larger than the limits above.
QImage readImageBytes(const QByteArray& bytes, qint64* pixelsLeft = nullptr);

// The light box shown for a picture that cannot be drawn.
QImage placeholderImage();

} // namespace rtf::detail
