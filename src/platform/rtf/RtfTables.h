#pragma once

#include "platform/rtf/RtfKeywords.h"
#include "platform/rtf/RtfModel.h"

#include <QColor>

#include <cstdint>
#include <vector>

// Tables in RTF: rows (\trowd ... \cellx ... \cell ... \row), merged cells and tables nested in
// cells (\itap, \nestcell, \nestrow), read into the model's tables.
namespace rtf::detail
{

// The deepest table nesting read; deeper cells are read as cells of the deepest table.
constexpr int MaxTableDepth = 16;
// Bounds on what one table can make large: a longer table continues as the next table.
constexpr int MaxTableColumns = 64;
constexpr int MaxTableRows = 4096;

// The properties of one cell, as a row definition gives them (before its \cellx).
// Cell padding per side (top, left, bottom, right) and its unit per side, as \clpad* and
// \trpadd* give them; only twips (unit 3) count.
struct Padding {
    int twips[4] = {0, 0, 0, 0};
    uint8_t unit[4] = {0, 0, 0, 0};
    static constexpr uint8_t Twips = 3;
};

struct CellDef {
    struct Border {
        int width = -1; // twips; -1 = not given
        int color = 0;  // colour table index; 0 = automatic
        bool none = false;
    };
    int right = 0;       // \cellx: the cell's right edge
    uint8_t hmerge = 0;  // 1 first of merged cells (\clmgf), 2 merged into the previous (\clmrg)
    uint8_t vmerge = 0;  // 1 first (\clvmgf), 2 merged into the cell above (\clvmrg)
    uint8_t valign = 0;  // 0 top, 1 centre, 2 bottom
    int background = -1; // \clcbpat
    int pattern = -1;    // \clcfpat
    int shading = 0;     // \clshdng, hundredths of a percent
    Border borders[4];   // top, left, bottom, right
    Padding padding;     // \clpad*
};

struct RowDef {
    int left = 0;      // \trleft
    int gap = 0;       // \trgaph
    int height = 0;    // \trrh
    uint8_t align = 0; // 0 left, 1 centre, 2 right
    bool header = false;
    std::vector<CellDef> cells;
    CellDef next; // the cell whose properties come before its \cellx
    // The side of `next` (0..3) or of the row (4..9) that border words describe, or -1.
    int borderSide = -1;
    // \trbrdr*: top, left, bottom, right, inside horizontal, inside vertical.
    CellDef::Border borders[6];
    Padding padding; // \trpadd*: the padding of cells that give none
};

// Follows the table words of the body while the reader fills the model's blocks. The reader tells
// it the nesting level of each paragraph it ends and where cells and rows end; it records each
// finished table in the model, with the blocks of every cell.
class TableReader
{
public:
    TableReader(Model& model, const std::vector<QColor>& colors) : m_model(model), m_colors(colors)
    {
    }

    // A row or cell property word; `nested` when it stands in \nesttableprops (the row of a table
    // at `level`). True when the word was one of those.
    bool onKeyword(Kw kw, int param, bool hasParam, int level);

    // The level the reader should end the current paragraph at, for a paragraph that says it is at
    // `level` (0 outside tables): never deeper than one more than the tables open.
    int clampLevel(int level) const;

    // Called before a paragraph at `level` becomes the next block: tables deeper than it end, and a
    // table at its level begins when none is open.
    void beforeParagraph(int level);
    // The paragraph just added ends a cell of the table at `level`.
    void endCell(int level);
    // The table at `level` ends a row. False when there was nothing to end.
    bool endRow(int level);
    // The deepest level open (0 when no table is).
    int depth() const { return static_cast<int>(m_open.size()); }
    // Whether blocks were added since the last cell of the table at `level` ended.
    bool hasLooseBlocks(int level) const;
    // Ends every table; call when the document ends. Sorts the model's tables in document order.
    void finish();

private:
    struct RawRow {
        RowDef def;
        std::vector<std::pair<int, int>> cells; // block ranges
    };
    struct OpenTable {
        int blockBegin = 0;
        int cellBegin = 0;
        std::vector<std::pair<int, int>> cells;
        std::vector<RawRow> rows;
    };

    RowDef& defAt(int level);
    void closeTablesDeeperThan(int level);
    void closeTable();
    void finishRow(OpenTable& table, int level);
    Table buildTable(const OpenTable& open, int depth) const;
    // Sets the border of one side of a cell (0 top, 1 left, 2 bottom, 3 right).
    void setBorder(QTextTableCellFormat& f, int side, const CellDef::Border& b) const;
    // The format of a cell at `row` of `rows` and at `cell` of the row's `cells`.
    QTextTableCellFormat cellFormat(const CellDef& def, const RowDef& row, int rowIndex, int rows,
                                    int cellIndex, int cells) const;
    QColor color(int index) const;

    Model& m_model;
    const std::vector<QColor>& m_colors;
    std::vector<OpenTable> m_open; // index = level - 1
    std::vector<RowDef> m_defs;    // the latest row definition of each level
    int m_defLevel = 1;            // the level the row definition being read is for
};

} // namespace rtf::detail
