#pragma once

#include <QByteArray>
#include <QString>

// Plain-text files: UTF-8 (a UTF-8 or UTF-16 byte-order mark honoured), Windows-1252 for bytes
// that are not valid UTF-8; written as UTF-8 without a byte-order mark, LF line ends.
namespace plaintext
{

QString decode(const QByteArray& bytes);
QByteArray encode(const QString& text);

} // namespace plaintext
