#pragma once

#include "platform/rtf/RtfCarriedGroups.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextListFormat>
#include <QTextTableCellFormat>
#include <QTextTableFormat>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

class QTextCursor;
class QTextDocument;

// What the reader makes of RTF bytes before any document is touched: the text in one string, cut
// into runs of one character format and blocks of one paragraph format. Building a QTextDocument
// from it is a separate, fast step, so a load either fails before the document changes or replaces
// it whole.
namespace rtf::detail
{

// The longest length the reader takes, in twips (22 inches); longer ones are clamped to it.
constexpr int MaxTwips = 31680;
inline int clampTwips(int v)
{
    return std::clamp(v, -MaxTwips, MaxTwips);
}

struct Run {
    int start = 0; // into Model::text
    int length = 0;
    int format = 0; // into Model::charFormats
};

struct Block {
    int runBegin = 0;
    int runEnd = 0;
    int blockFormat = 0; // into Model::blockFormats
    int charFormat = 0;  // the paragraph mark's format
    int bulletLevel = 0; // 0: no bullet; else the list indent (1 = first level)
    int list = -1;       // into Model::lists, or -1: the list the paragraph is an item of
};

// A table cell: its paragraphs (and the tables inside it) and its place in the table's grid. A
// cell that a merged neighbour covers keeps its paragraphs; they join the covering cell.
struct TableCell {
    int blockBegin = 0; // into Model::blocks
    int blockEnd = 0;
    int column = 0;
    int columnSpan = 1;
    int rowSpan = 1;
    bool covered = false;
    QTextTableCellFormat format;
};

struct TableRow {
    std::vector<TableCell> cells;
};

// A table over the blocks [blockBegin, blockEnd); the tables in its cells lie inside that range.
struct Table {
    int blockBegin = 0;
    int blockEnd = 0;
    int depth = 1; // 1 for a table in the body, 2 for one in a cell of it, ...
    int columns = 0;
    std::vector<TableRow> rows;
    QTextTableFormat format;
};

struct Model {
    QString text;
    std::vector<Run> runs;
    std::vector<Block> blocks; // never empty after parse()
    std::vector<QTextCharFormat> charFormats;
    std::vector<QTextBlockFormat> blockFormats;
    std::vector<std::pair<QString, QImage>> images; // resources the image formats name
    // In document order: a table comes before the tables in its cells.
    std::vector<Table> tables;
    // One list per RTF list override and level (or \pn scheme and level).
    std::vector<QTextListFormat> lists;
    bool endsWithParagraphMark = false;
    // What the document carries at its level; none when it carries nothing.
    std::optional<carried::DocumentGroups> documentGroups;
};

// Reads RTF bytes; throws rtf::FormatError when they are not RTF.
Model parse(const QByteArray& bytes);

// Replaces the whole content of `document` with the model.
void replaceDocument(const Model& model, QTextDocument& document);

// Makes the carried bytes of a model read for pasting name fonts and colours by their numbers in
// `document`'s tables, adding to those what the bytes need.
void adoptCarriedBytes(Model& model, QTextDocument& document);

// Gives the text boxes and sections of a model read for pasting numbers that tell them from those
// of `document`.
void numberPastedBoxesAndSections(Model& model, const QTextDocument& document);

// Replaces the selection of `cursor` with the model (pasting: the first paragraph joins the one at
// the cursor, the last joins the rest of it).
void insertAt(const Model& model, QTextCursor& cursor);

} // namespace rtf::detail
