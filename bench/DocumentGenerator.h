#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// A deterministic benchmark document of about 1,000 pages: about 3 million characters in some
// 7,000 paragraphs and tens of thousands of formatted runs (fonts, sizes, bold, italic, underline,
// colours, raised and lowered text), all four alignments, bulleted paragraphs, headings, and
// non-ASCII text (accented Latin, Greek, Cyrillic, CJK, emoji). The same content comes in three
// forms, so benchmarks compare like with like; the two RTF forms also carry what the editor keeps
// without showing it: headers, footers, a footnote every tenth paragraph and a page setup.
namespace bench
{

// The document built directly through QTextCursor, as the editor would hold it.
void buildBenchmarkDocument(QTextDocument& document);

// The document as compact RTF, the way WordPad and Wordlark write it.
QByteArray generateBenchmarkRtf();

// The document as LibreOffice writes RTF: a style sheet, full \pard\plain resets before every
// paragraph, every run in its own group with the associated-font words, \rsid marks, \uN with
// \'hh fallbacks; about 9.5 MB.
QByteArray generateLibreOfficeStyleRtf();

} // namespace bench
