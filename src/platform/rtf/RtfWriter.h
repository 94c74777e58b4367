#pragma once

#include <QByteArray>

class QTextDocument;

namespace rtf::detail
{

// The characters from `start` to `end` as RTF. A paragraph whose mark lies in the range ends with
// \par; with `wholeDocument` every paragraph does, the last one included.
QByteArray writeDocument(const QTextDocument& document, int start, int end, bool wholeDocument);

} // namespace rtf::detail
