#pragma once

#include <QColor>
#include <QTextFrame>

#include <string>

class QTextBlock;
class QTextTable;

// Writing tables as RTF rows: \trowd with one \cellx per cell, \intbl paragraphs ended by \cell,
// \row; a table inside a cell with \itap, \nestcell and {\*\nesttableprops ... \nestrow}.
namespace rtf::detail
{

// A control word with its number (\\fs24), appended to `out`.
void appendWord(std::string& out, const char* word, long long value);
// Qt's pixels (at the writer's 96 dpi) in twips, rounded.
int twips(qreal pixels);

// What the table writer needs of the document writer.
// How a paragraph of a cell ends when it does not end the cell.
constexpr char ParagraphEnd[] = "\\par\n";

class TableSink
{
public:
    virtual ~TableSink() = default;
    virtual std::string& out() = 0;
    virtual int colorNumber(const QColor& color) = 0;
    // Writes the whole paragraph: \pard, then `tableWords` (\intbl, \itapN), its text, `ending`.
    virtual void writeParagraph(const QTextBlock& block, const std::string& tableWords,
                                const char* ending) = 0;
};

// Whether the element is the empty paragraph a QTextDocument keeps before a table that begins its
// cell or document: not written, as reading makes it again.
bool startsWithTable(QTextFrame::iterator it);

// Writes the rows firstRow..lastRow of `table`, a table at nesting `level` (1 in the body).
void writeTable(TableSink& sink, const QTextTable& table, int level, int firstRow, int lastRow);

} // namespace rtf::detail
