#include "platform/rtf/PlainText.h"

namespace plaintext {

QString decode(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes);
}

QByteArray encode(const QString& text)
{
    return text.toUtf8();
}

} // namespace plaintext
