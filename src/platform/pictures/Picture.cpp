#include "platform/pictures/Picture.h"

#include "platform/core/Error.h"
#include "platform/core/FileIO.h"
#include "platform/pictures/WindowsMetafile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

namespace picture
{

namespace
{

[[noreturn]] void invalidPicture(const QString& why)
{
    throw PlatformError(ErrorNumber::InvalidPicture,
                        standardErrorDescription(ErrorNumber::InvalidPicture) +
                            QStringLiteral(": ") + why);
}

QImage decodeRaster(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid())
        invalidPicture(QStringLiteral("not a picture file"));
    if (qint64(size.width()) * size.height() > MaxPixels)
        invalidPicture(
            QStringLiteral("%1 x %2 pixels is too large").arg(size.width()).arg(size.height()));
    QImage image = reader.read();
    if (image.isNull())
        invalidPicture(reader.errorString());
    return image;
}

} // namespace

QImage LoadPicture(const QString& path)
{
    const QByteArray bytes = fileio::readWholeFile(path);
    if (wmf::looksLikeMetafile(bytes)) {
        QString error;
        QImage image = wmf::render(bytes, QSize(), &error);
        if (image.isNull())
            invalidPicture(error);
        return image;
    }
    return decodeRaster(bytes);
}

void SavePicture(const QImage& image, const QString& path)
{
    QFile file(path);
    // A fresh file only: never write into a file that is already there.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        raiseError(ErrorNumber::PathFileAccessError);
    if (!image.save(&file, "BMP")) {
        file.remove();
        raiseError(ErrorNumber::PathFileAccessError);
    }
}

} // namespace picture
