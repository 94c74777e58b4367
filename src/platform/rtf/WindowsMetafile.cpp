#include "platform/rtf/WindowsMetafile.h"

namespace wmf {

bool looksLikeMetafile(const QByteArray&)
{
    return false;
}

QImage render(const QByteArray&, QSize, QString* error)
{
    if (error)
        *error = QStringLiteral("Windows metafiles are not supported yet");
    return QImage();
}

} // namespace wmf
