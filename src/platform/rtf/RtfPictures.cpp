#include "platform/rtf/RtfPictures.h"

#include "platform/document/DocumentFormat.h"
#include "platform/pictures/WindowsMetafile.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cstring>

namespace rtf::detail
{

namespace
{

uint32_t le32(const char* p)
{
    const auto* u = reinterpret_cast<const uint8_t*>(p);
    return u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<uint32_t>(u[3]) << 24);
}

uint16_t le16(const char* p)
{
    const auto* u = reinterpret_cast<const uint8_t*>(p);
    return static_cast<uint16_t>(u[0] | (u[1] << 8));
}

bool withinLimits(qint64 width, qint64 height, const qint64* pixelsLeft)
{
    if (width <= 0 || height <= 0 || width > MaxPictureSide || height > MaxPictureSide)
        return false;
    const qint64 pixels = width * height;
    if (pixels > MaxPicturePixels)
        return false;
    return !pixelsLeft || pixels <= *pixelsLeft;
}

void spend(qint64* pixelsLeft, const QImage& image)
{
    if (pixelsLeft && !image.isNull())
        *pixelsLeft -= static_cast<qint64>(image.width()) * image.height();
}

// A device-independent bitmap (a BMP file without its 14-byte file header).
QImage readDib(const QByteArray& dib, qint64* pixelsLeft)
{
    if (dib.size() < 12)
        return QImage();
    const char* p = dib.constData();
    const uint32_t headerSize = le32(p);
    qint64 width, height;
    int bitCount;
    uint32_t compression = 0, colorsUsed = 0;
    int paletteEntrySize = 4;
    if (headerSize == 12) {
        width = le16(p + 4);
        height = le16(p + 6);
        bitCount = le16(p + 10);
        paletteEntrySize = 3;
    } else if (headerSize >= 40 && headerSize <= 1024 && dib.size() >= 40) {
        width = static_cast<int32_t>(le32(p + 4));
        height = static_cast<int32_t>(le32(p + 8));
        bitCount = le16(p + 14);
        compression = le32(p + 16);
        colorsUsed = le32(p + 32);
    } else {
        return QImage();
    }
    if (!withinLimits(std::abs(width), std::abs(height), pixelsLeft))
        return QImage();
    qint64 paletteEntries = colorsUsed;
    if (paletteEntries == 0 && bitCount > 0 && bitCount <= 8)
        paletteEntries = 1LL << bitCount;
    if (paletteEntries > 256)
        paletteEntries = 256;
    qint64 offset = 14 + headerSize + paletteEntries * paletteEntrySize;
    if (headerSize == 40 && (compression == 3 || compression == 6))
        offset += compression == 3 ? 12 : 16;
    if (offset > 14 + dib.size())
        return QImage();

    QByteArray file;
    file.reserve(14 + dib.size());
    const qint64 fileSize = 14 + dib.size();
    char header[14] = {'B', 'M'};
    for (int i = 0; i < 4; ++i) {
        header[2 + i] = static_cast<char>((fileSize >> (8 * i)) & 0xFF);
        header[10 + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
    }
    file.append(header, 14);
    file.append(dib);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    const QSize size = reader.size();
    if (size.isValid() && !withinLimits(size.width(), size.height(), pixelsLeft))
        return QImage();
    QImage image = reader.read();
    spend(pixelsLeft, image);
    return image;
}

// A device-dependent bitmap: raw rows of the given width in bytes.
QImage readWBitmap(const Picture& picture, qint64* pixelsLeft)
{
    const int width = picture.picW;
    const int height = picture.picH;
    const int stride = picture.widthBytes;
    if (!withinLimits(width, height, pixelsLeft) || stride <= 0)
        return QImage();
    if (static_cast<qint64>(stride) * height > picture.data.size())
        return QImage();
    QImage image;
    switch (picture.bitsPerPixel) {
    case 1:
        if (stride * 8 < width)
            return QImage();
        image = QImage(width, height, QImage::Format_Mono);
        image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        break;
    case 24:
        if (stride < width * 3)
            return QImage();
        image = QImage(width, height, QImage::Format_BGR888);
        break;
    case 32:
        if (stride < width * 4)
            return QImage();
        image = QImage(width, height, QImage::Format_RGB32);
        break;
    default:
        return QImage();
    }
    if (image.isNull())
        return QImage();
    const int rowBytes = std::min<qsizetype>(image.bytesPerLine(), stride);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), picture.data.constData() + static_cast<qint64>(y) * stride,
                    static_cast<size_t>(rowBytes));
    spend(pixelsLeft, image);
    return image;
}

bool isMetafile(PictureKind kind)
{
    return kind == PictureKind::Wmf || kind == PictureKind::Emf || kind == PictureKind::PmMetafile;
}

int goalTwips(int goal, int pic, bool metafile, int imagePixels, int scale)
{
    qint64 twips = 0;
    if (goal > 0)
        twips = goal;
    else if (pic > 0)
        twips = metafile ? static_cast<qint64>(pic) * 1440 / 2540 : static_cast<qint64>(pic) * 15;
    else if (imagePixels > 0)
        twips = static_cast<qint64>(imagePixels) * 15;
    else
        twips = 1440;
    if (scale <= 0)
        scale = 100;
    scale = std::min(scale, 10000);
    twips = twips * scale / 100;
    return static_cast<int>(std::clamp<qint64>(twips, 1, MaxPictureTwips));
}

} // namespace

const char* kindName(PictureKind kind)
{
    switch (kind) {
    case PictureKind::Png:
        return "png";
    case PictureKind::Jpeg:
        return "jpeg";
    case PictureKind::Emf:
        return "emf";
    case PictureKind::Wmf:
        return "wmf";
    case PictureKind::Dib:
        return "dib";
    case PictureKind::WBitmap:
        return "wbitmap";
    case PictureKind::MacPict:
        return "macpict";
    case PictureKind::PmMetafile:
        return "pmmetafile";
    case PictureKind::Unknown:
        break;
    }
    return "";
}

QImage readImageBytes(const QByteArray& bytes, qint64* pixelsLeft)
{
    if (bytes.isEmpty())
        return QImage();
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || !withinLimits(size.width(), size.height(), pixelsLeft))
        return QImage();
    QImage image = reader.read();
    spend(pixelsLeft, image);
    return image;
}

QImage placeholderImage()
{
    static const QImage image = [] {
        QImage box(16, 16, QImage::Format_RGB32);
        box.fill(qRgb(0xE8, 0xE8, 0xE8));
        for (int i = 0; i < 16; ++i) {
            box.setPixel(i, 0, qRgb(0x99, 0x99, 0x99));
            box.setPixel(i, 15, qRgb(0x99, 0x99, 0x99));
            box.setPixel(0, i, qRgb(0x99, 0x99, 0x99));
            box.setPixel(15, i, qRgb(0x99, 0x99, 0x99));
        }
        return box;
    }();
    return image;
}

DecodedPicture decodePicture(const Picture& picture, PictureBudget& budget)
{
    DecodedPicture result;
    QImage image;
    QByteArray kind = kindName(picture.kind);
    qint64* left = &budget.pixelsLeft;
    switch (picture.kind) {
    case PictureKind::Png:
    case PictureKind::Jpeg:
    case PictureKind::Unknown: {
        image = readImageBytes(picture.data, left);
        if (picture.kind == PictureKind::Unknown && !image.isNull()) {
            QByteArray copy = picture.data;
            QBuffer buffer(&copy);
            buffer.open(QIODevice::ReadOnly);
            const QByteArray format = QImageReader::imageFormat(&buffer).toLower();
            kind = format == "jpg" ? QByteArray("jpeg") : format;
        }
        break;
    }
    case PictureKind::Dib:
        image = readDib(picture.data, left);
        break;
    case PictureKind::WBitmap:
        image = readWBitmap(picture, left);
        break;
    default:
        break;
    }

    const bool metafile = isMetafile(picture.kind);
    const int widthTwips =
        goalTwips(picture.goalW, picture.picW, metafile, image.width(), picture.scaleX);
    const int heightTwips =
        goalTwips(picture.goalH, picture.picH, metafile, image.height(), picture.scaleY);

    if (picture.kind == PictureKind::Wmf) {
        int w = std::max(1, std::min(widthTwips / 15, 4096));
        int h = std::max(1, std::min(heightTwips / 15, 4096));
        if (withinLimits(w, h, left)) {
            QString error;
            image = wmf::render(picture.data, QSize(w, h), &error);
            if (!withinLimits(image.width(), image.height(), nullptr))
                image = QImage();
            spend(left, image);
        }
    }

    const bool placeholder = image.isNull();
    if (placeholder)
        image = placeholderImage();

    QTextImageFormat& format = result.format;
    format.setName(docformat::newImageName());
    format.setWidth(widthTwips / 15.0);
    format.setHeight(heightTwips / 15.0);
    format.setProperty(docformat::ImageOriginalBytes, picture.data);
    format.setProperty(docformat::ImageOriginalKind, QString::fromLatin1(kind));
    format.setProperty(docformat::ImageGoalWidthTwips, widthTwips);
    format.setProperty(docformat::ImageGoalHeightTwips, heightTwips);
    if (placeholder)
        format.setProperty(docformat::ImageIsPlaceholder, true);
    result.image = image;
    return result;
}

} // namespace rtf::detail
