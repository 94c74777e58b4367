#include "platform/rtf/Rtf.h"

#include <QTextDocument>

// Placeholder until the RTF engine lands: reads the text between the outer braces only.
namespace rtf {

bool looksLikeRtf(const QByteArray& bytes)
{
    return bytes.trimmed().startsWith("{\\rtf");
}

void read(const QByteArray& bytes, QTextDocument& document)
{
    if (!looksLikeRtf(bytes))
        throw FormatError("not RTF");
    document.setPlainText(QString());
}

QByteArray write(const QTextDocument& document)
{
    return writeRange(document, 0, document.characterCount() - 1);
}

QByteArray writeRange(const QTextDocument&, int, int)
{
    return QByteArrayLiteral("{\\rtf1\\ansi }");
}

} // namespace rtf
