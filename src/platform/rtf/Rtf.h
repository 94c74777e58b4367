#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

class QTextCursor;
class QTextDocument;

// RTF bytes to and from QTextDocument. Knows documents and bytes, no widget.
namespace rtf
{

// Raised when bytes given as RTF are not RTF at all.
class FormatError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// True when the bytes start like an RTF document ("{\rtf", after optional white space).
bool looksLikeRtf(const QByteArray& bytes);

// Replaces the content of `document` with the RTF in `bytes`. The document is only touched when
// the bytes were read through; throws FormatError for bytes that are not RTF.
void read(const QByteArray& bytes, QTextDocument& document);

// Replaces the selection of `cursor` with the document the RTF in `bytes` holds (writing SelRTF).
// The first paragraph of the RTF joins the one at the cursor; the text after the cursor follows
// its last paragraph. Nothing changes when it throws FormatError.
void insert(const QByteArray& bytes, QTextCursor& cursor);

// The whole document as 7-bit RTF.
QByteArray write(const QTextDocument& document);

// The characters from `start` to `end` (document positions) as RTF.
QByteArray writeRange(const QTextDocument& document, int start, int end);

} // namespace rtf
