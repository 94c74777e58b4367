#include "platform/rtf/RtfTableWriter.h"

#include "platform/document/DocumentFormat.h"

#include <QTextBlock>
#include <QTextTable>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

namespace rtf::detail
{

namespace
{

// Width a table takes when its columns say nothing usable: the text width of a letter page.
constexpr int DefaultTableWidth = 9360;

// The right edge of each column, in twips from the table's left edge.
std::vector<int> columnEdges(const QTextTable& table)
{
    const QTextTableFormat format = table.format();
    const QList<QTextLength> constraints = format.columnWidthConstraints();
    const int columns = table.columns();
    std::vector<int> edges;
    int x = twips(format.leftMargin());
    for (int c = 0; c < columns; ++c) {
        int width = DefaultTableWidth / std::max(1, columns);
        if (c < constraints.size()) {
            const QTextLength& length = constraints[c];
            if (length.type() == QTextLength::FixedLength && length.rawValue() > 0)
                width = twips(length.rawValue());
            else if (length.type() == QTextLength::PercentageLength && length.rawValue() > 0)
                width = static_cast<int>(DefaultTableWidth * length.rawValue() / 100.0);
        }
        x += std::max(1, width);
        edges.push_back(x);
    }
    return edges;
}

void writeBorder(TableSink& sink, const char* side, qreal width, const QBrush& brush,
                 QTextFrameFormat::BorderStyle style)
{
    std::string& out = sink.out();
    out += side;
    if (style == QTextFrameFormat::BorderStyle_None || width <= 0) {
        out += "\\brdrnone";
        return;
    }
    out += "\\brdrs";
    appendWord(out, "\\brdrw", std::clamp(twips(width), 1, 255));
    if (brush.style() != Qt::NoBrush)
        appendWord(out, "\\brdrcf", sink.colorNumber(brush.color()));
}

// The cell's properties before its \cellx.
void writeCellDefinition(TableSink& sink, const QTextTableCellFormat& f, bool mergeFirst,
                         bool mergeContinued)
{
    std::string& out = sink.out();
    if (mergeFirst)
        out += "\\clvmgf";
    if (mergeContinued)
        out += "\\clvmrg";
    switch (f.verticalAlignment()) {
    case QTextCharFormat::AlignMiddle:
        out += "\\clvertalc";
        break;
    case QTextCharFormat::AlignBottom:
        out += "\\clvertalb";
        break;
    default:
        break;
    }
    if (f.hasProperty(QTextFormat::TableCellTopBorder))
        writeBorder(sink, "\\clbrdrt", f.topBorder(), f.topBorderBrush(), f.topBorderStyle());
    if (f.hasProperty(QTextFormat::TableCellLeftBorder))
        writeBorder(sink, "\\clbrdrl", f.leftBorder(), f.leftBorderBrush(), f.leftBorderStyle());
    if (f.hasProperty(QTextFormat::TableCellBottomBorder))
        writeBorder(sink, "\\clbrdrb", f.bottomBorder(), f.bottomBorderBrush(),
                    f.bottomBorderStyle());
    if (f.hasProperty(QTextFormat::TableCellRightBorder))
        writeBorder(sink, "\\clbrdrr", f.rightBorder(), f.rightBorderBrush(), f.rightBorderStyle());
    if (f.background().style() != Qt::NoBrush)
        appendWord(out, "\\clcbpat", sink.colorNumber(f.background().color()));
    // A cell's own padding, in twips (unit 3).
    static constexpr std::pair<QTextFormat::Property, const char*> Paddings[] = {
        {QTextFormat::TableCellTopPadding, "\\clpadft3\\clpadt"},
        {QTextFormat::TableCellLeftPadding, "\\clpadfl3\\clpadl"},
        {QTextFormat::TableCellBottomPadding, "\\clpadfb3\\clpadb"},
        {QTextFormat::TableCellRightPadding, "\\clpadfr3\\clpadr"}};
    for (const auto& [property, words] : Paddings)
        if (f.hasProperty(property))
            appendWord(out, words, twips(f.doubleProperty(property)));
}

// A cell of a row as the writer needs it; Qt looks each of these up in the document anew on
// every call, so they are looked up once.
struct RowCell {
    QTextTableCell cell;
    int column = 0;
    int row = 0; // the row the cell starts in: above this one when a merge from above covers it
    int rowSpan = 1;
    int columnSpan = 1;
    QTextTableCellFormat format;
};

// The formats of a table's cells by their index in the document: most cells share a few, and Qt
// builds a cell's format anew on every call (its spans included).
using CellFormats = std::unordered_map<int, QTextTableCellFormat>;

const QTextTableCellFormat& formatOf(const QTextTableCell& cell, CellFormats& formats)
{
    const int index = cell.tableCellFormatIndex();
    auto found = formats.find(index);
    if (found == formats.end())
        found = formats.emplace(index, cell.format().toTableCellFormat()).first;
    return found->second;
}

// The cells of the row, left to right, each once however many columns it spans.
std::vector<RowCell> cellsOfRow(const QTextTable& table, int row, CellFormats& formats)
{
    std::vector<RowCell> cells;
    for (int c = 0; c < table.columns();) {
        RowCell cell;
        cell.cell = table.cellAt(row, c);
        cell.column = c;
        cell.row = cell.cell.row();
        cell.format = formatOf(cell.cell, formats);
        cell.rowSpan = cell.format.tableCellRowSpan();
        cell.columnSpan = std::max(1, cell.format.tableCellColumnSpan());
        c += cell.columnSpan;
        cells.push_back(std::move(cell));
    }
    return cells;
}

void writeRowDefinition(TableSink& sink, const QTextTable& table, int row,
                        const std::vector<RowCell>& cells, const std::vector<int>& edges)
{
    const QTextTableFormat format = table.format();
    std::string& out = sink.out();
    out += "\\trowd";
    appendWord(out, "\\trgaph", twips(format.cellPadding()));
    appendWord(out, "\\trleft", twips(format.leftMargin()));
    const Qt::Alignment align = format.alignment() & Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignHCenter)
        out += "\\trqc";
    else if (align & Qt::AlignRight)
        out += "\\trqr";
    if (row < format.headerRowCount())
        out += "\\trhdr";
    int height = 0;
    for (const RowCell& cell : cells) {
        const int h = cell.format.intProperty(docformat::CellRowHeightTwips);
        if (std::abs(h) > std::abs(height))
            height = h;
    }
    if (height)
        appendWord(out, "\\trrh", height);
    for (const RowCell& cell : cells) {
        writeCellDefinition(sink, cell.format, cell.row == row && cell.rowSpan > 1, cell.row < row);
        appendWord(out, "\\cellx",
                   edges[static_cast<size_t>(
                       std::min(cell.column + cell.columnSpan, table.columns()) - 1)]);
    }
    out += '\n';
}

std::string tableWords(int level)
{
    std::string words = "\\intbl";
    if (level > 1)
        appendWord(words, "\\itap", level);
    return words;
}

// The paragraphs and tables of one cell; the last paragraph ends the cell.
void writeCellContent(TableSink& sink, const QTextTableCell& cell, int level)
{
    const char* cellEnd = level > 1 ? "\\nestcell " : "\\cell ";
    const std::string words = tableWords(level);
    const QTextFrame::iterator first = cell.begin();
    const int lastPosition = cell.lastPosition();
    for (QTextFrame::iterator it = first; !it.atEnd(); ++it) {
        if (it == first && startsWithTable(it))
            continue;
        if (QTextFrame* frame = it.currentFrame()) {
            if (auto* nested = qobject_cast<QTextTable*>(frame))
                writeTable(sink, *nested, level + 1, 0, nested->rows() - 1);
            continue;
        }
        const QTextBlock block = it.currentBlock();
        const bool last = block.position() + block.length() - 1 >= lastPosition;
        sink.writeParagraph(block, words, last ? cellEnd : ParagraphEnd);
    }
}

} // namespace

bool startsWithTable(QTextFrame::iterator it)
{
    const QTextBlock block = it.currentBlock();
    if (!block.isValid() || block.length() > 1)
        return false;
    ++it;
    return !it.atEnd() && it.currentFrame();
}

void writeTable(TableSink& sink, const QTextTable& table, int level, int firstRow, int lastRow)
{
    const std::vector<int> edges = columnEdges(table);
    if (edges.empty())
        return;
    std::string& out = sink.out();
    CellFormats formats;
    for (int r = std::max(0, firstRow); r <= std::min(lastRow, table.rows() - 1); ++r) {
        const std::vector<RowCell> cells = cellsOfRow(table, r, formats);
        if (level == 1)
            writeRowDefinition(sink, table, r, cells, edges);
        for (const RowCell& cell : cells) {
            if (cell.row == r) {
                writeCellContent(sink, cell.cell, level);
            } else {
                // The cell above covers this one: an empty cell that continues its merge.
                out += "\\pard";
                out += tableWords(level);
                out += level > 1 ? "\\nestcell " : "\\cell ";
            }
        }
        if (level == 1) {
            out += "\\row\n";
        } else {
            out += "{\\*\\nesttableprops";
            writeRowDefinition(sink, table, r, cells, edges);
            out += "\\nestrow}{\\nonesttables\\par}\n";
        }
    }
}

} // namespace rtf::detail
