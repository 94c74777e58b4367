// Reading tables: the row definitions, the cells' blocks and the grid of columns the rows share.

#include "platform/rtf/RtfTables.h"

#include "platform/document/DocumentFormat.h"

#include <algorithm>

namespace rtf::detail
{

namespace
{

constexpr int MaxCellDefs = 128;
// Edges of cells in different rows closer than this are one column edge.
constexpr int EdgeTolerance = 10;
constexpr int DefaultCellWidth = 1440;
constexpr int MinCellWidth = 15;

// Sorted edges, those within EdgeTolerance of a smaller one dropped.
std::vector<int> gridOf(std::vector<int> edges)
{
    std::sort(edges.begin(), edges.end());
    std::vector<int> grid;
    for (int e : edges)
        if (grid.empty() || e - grid.back() > EdgeTolerance)
            grid.push_back(e);
    return grid;
}

int columnAt(const std::vector<int>& grid, int edge)
{
    return static_cast<int>(std::lower_bound(grid.begin(), grid.end(), edge - EdgeTolerance) -
                            grid.begin());
}

// A row's cell edges: from \trleft, one \cellx per cell; cells of a row without definitions are
// as wide as a default cell, and an edge that does not move right is moved. A row with more
// cells than definitions keeps its width and its cells share it evenly, as LibreOffice reads
// such a row.
std::vector<int> edgesOf(const RowDef& def, int cells)
{
    std::vector<int> edges{def.left};
    const int defined = static_cast<int>(def.cells.size());
    if (defined > 0 && cells > defined) {
        const int right = std::max(def.cells.back().right, def.left + cells * MinCellWidth);
        for (int i = 1; i <= cells; ++i)
            edges.push_back(def.left + static_cast<int>(qint64(right - def.left) * i / cells));
        return edges;
    }
    int width = DefaultCellWidth;
    for (int i = 0; i < cells; ++i) {
        const int previous = edges.back();
        int right = i < defined ? def.cells[static_cast<size_t>(i)].right : previous + width;
        if (right < previous + MinCellWidth)
            right = previous + std::max(MinCellWidth, i < defined ? 0 : width);
        width = right - previous;
        edges.push_back(right);
    }
    return edges;
}

QColor mixed(const QColor& a, const QColor& b, double share)
{
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - share) + b.redF() * share),
                            static_cast<float>(a.greenF() * (1 - share) + b.greenF() * share),
                            static_cast<float>(a.blueF() * (1 - share) + b.blueF() * share));
}

} // namespace

RowDef& TableReader::defAt(int level)
{
    level = std::clamp(level, 1, MaxTableDepth);
    if (static_cast<int>(m_defs.size()) < level)
        m_defs.resize(static_cast<size_t>(level));
    return m_defs[static_cast<size_t>(level - 1)];
}

bool TableReader::onKeyword(Kw kw, int param, bool hasParam, int level)
{
    if (kw == Kw::TRowD) {
        m_defLevel = std::clamp(level, 1, MaxTableDepth);
        defAt(m_defLevel) = RowDef();
        return true;
    }
    RowDef& row = defAt(m_defLevel);
    CellDef& cell = row.next;
    const bool on = !hasParam || param != 0;
    auto border = [&]() -> CellDef::Border* {
        if (row.borderSide >= 4)
            return &row.borders[row.borderSide - 4];
        return row.borderSide >= 0 ? &cell.borders[row.borderSide] : nullptr;
    };
    auto side = [kw](Kw first) { return static_cast<int>(kw) - static_cast<int>(first); };
    switch (kw) {
    case Kw::CellX:
        if (static_cast<int>(row.cells.size()) < MaxCellDefs) {
            cell.right = clampTwips(param);
            row.cells.push_back(cell);
        }
        cell = CellDef();
        row.borderSide = -1;
        return true;
    case Kw::TrLeft:
        row.left = clampTwips(param);
        return true;
    case Kw::TrGapH:
        row.gap = std::clamp(param, 0, MaxTwips);
        return true;
    case Kw::TrRh:
        row.height = clampTwips(param);
        return true;
    case Kw::TrHdr:
        row.header = on;
        return true;
    case Kw::TrQl:
        row.align = 0;
        return true;
    case Kw::TrQc:
        row.align = 1;
        return true;
    case Kw::TrQr:
        row.align = 2;
        return true;
    case Kw::ClMgf:
        cell.hmerge = 1;
        return true;
    case Kw::ClMrg:
        cell.hmerge = 2;
        return true;
    case Kw::ClVmgf:
        cell.vmerge = 1;
        return true;
    case Kw::ClVmrg:
        cell.vmerge = 2;
        return true;
    case Kw::ClVertAlT:
        cell.valign = 0;
        return true;
    case Kw::ClVertAlC:
        cell.valign = 1;
        return true;
    case Kw::ClVertAlB:
        cell.valign = 2;
        return true;
    case Kw::ClCbPat:
        cell.background = std::max(0, param);
        return true;
    case Kw::ClCfPat:
        cell.pattern = std::max(0, param);
        return true;
    case Kw::ClShdng:
        cell.shading = std::clamp(param, 0, 10000);
        return true;
    case Kw::ClBrdrT:
    case Kw::ClBrdrL:
    case Kw::ClBrdrB:
    case Kw::ClBrdrR:
    case Kw::TrBrdrT:
    case Kw::TrBrdrL:
    case Kw::TrBrdrB:
    case Kw::TrBrdrR:
    case Kw::TrBrdrH:
    case Kw::TrBrdrV:
        row.borderSide = kw >= Kw::TrBrdrT ? 4 + side(Kw::TrBrdrT) : side(Kw::ClBrdrT);
        *border() = CellDef::Border();
        border()->width = 10;
        return true;
    case Kw::ClPadT:
    case Kw::ClPadL:
    case Kw::ClPadB:
    case Kw::ClPadR:
        cell.padding.twips[side(Kw::ClPadT)] = std::clamp(param, 0, MaxTwips);
        return true;
    case Kw::ClPadFT:
    case Kw::ClPadFL:
    case Kw::ClPadFB:
    case Kw::ClPadFR:
        cell.padding.unit[side(Kw::ClPadFT)] = static_cast<uint8_t>(std::clamp(param, 0, 255));
        return true;
    case Kw::TrPaddT:
    case Kw::TrPaddL:
    case Kw::TrPaddB:
    case Kw::TrPaddR:
        row.padding.twips[side(Kw::TrPaddT)] = std::clamp(param, 0, MaxTwips);
        return true;
    case Kw::TrPaddFT:
    case Kw::TrPaddFL:
    case Kw::TrPaddFB:
    case Kw::TrPaddFR:
        row.padding.unit[side(Kw::TrPaddFT)] = static_cast<uint8_t>(std::clamp(param, 0, 255));
        return true;
    case Kw::BrdrW:
        if (CellDef::Border* b = border())
            b->width = std::clamp(param, 0, 255);
        return border() != nullptr;
    case Kw::BrdrCf:
        if (CellDef::Border* b = border())
            b->color = std::max(0, param);
        return border() != nullptr;
    case Kw::BrdrNone:
        if (CellDef::Border* b = border())
            b->none = true;
        return border() != nullptr;
    case Kw::BrdrStyle:
        return border() != nullptr;
    default:
        return false;
    }
}

int TableReader::clampLevel(int level) const
{
    return std::clamp(level, 0, std::min(depth() + 1, MaxTableDepth));
}

void TableReader::beforeParagraph(int level)
{
    closeTablesDeeperThan(level);
    while (depth() < level) {
        OpenTable table;
        table.blockBegin = table.cellBegin = static_cast<int>(m_model.blocks.size());
        m_open.push_back(std::move(table));
    }
}

void TableReader::endCell(int level)
{
    if (level < 1 || level > depth())
        return;
    OpenTable& table = m_open[static_cast<size_t>(level - 1)];
    const int end = static_cast<int>(m_model.blocks.size());
    if (static_cast<int>(table.cells.size()) >= MaxTableColumns && !table.cells.empty())
        table.cells.back().second = end; // a row this wide keeps the rest in its last cell
    else
        table.cells.emplace_back(table.cellBegin, end);
    table.cellBegin = end;
}

bool TableReader::hasLooseBlocks(int level) const
{
    return level >= 1 && level <= depth() &&
           m_open[static_cast<size_t>(level - 1)].cellBegin <
               static_cast<int>(m_model.blocks.size());
}

bool TableReader::endRow(int level)
{
    if (level < 1 || level > depth())
        return false;
    closeTablesDeeperThan(level);
    if (hasLooseBlocks(level))
        endCell(level);
    OpenTable& table = m_open[static_cast<size_t>(level - 1)];
    if (table.cells.empty())
        return false;
    finishRow(table, level);
    if (static_cast<int>(table.rows.size()) >= MaxTableRows)
        closeTable();
    return true;
}

void TableReader::finishRow(OpenTable& table, int level)
{
    table.rows.push_back(RawRow{defAt(level), std::move(table.cells)});
    table.cells.clear();
}

void TableReader::closeTablesDeeperThan(int level)
{
    while (depth() > std::max(level, 0))
        closeTable();
}

void TableReader::closeTable()
{
    OpenTable& table = m_open.back();
    if (!table.cells.empty())
        finishRow(table, depth());
    if (!table.rows.empty())
        m_model.tables.push_back(buildTable(table, depth()));
    m_open.pop_back();
}

void TableReader::finish()
{
    closeTablesDeeperThan(0);
    std::stable_sort(
        m_model.tables.begin(), m_model.tables.end(), [](const Table& a, const Table& b) {
            return a.blockBegin != b.blockBegin ? a.blockBegin < b.blockBegin : a.depth < b.depth;
        });
}

QColor TableReader::color(int index) const
{
    return index > 0 && index < static_cast<int>(m_colors.size()) ? m_colors[index] : QColor();
}

void TableReader::setBorder(QTextTableCellFormat& f, int side, const CellDef::Border& b) const
{
    const qreal width = b.none ? 0.0 : std::max(1, b.width) / 15.0;
    const QBrush brush(color(b.color).isValid() ? color(b.color) : QColor(Qt::black));
    const auto style =
        b.none ? QTextFrameFormat::BorderStyle_None : QTextFrameFormat::BorderStyle_Solid;
    switch (side) {
    case 0:
        f.setTopBorder(width);
        f.setTopBorderBrush(brush);
        f.setTopBorderStyle(style);
        break;
    case 1:
        f.setLeftBorder(width);
        f.setLeftBorderBrush(brush);
        f.setLeftBorderStyle(style);
        break;
    case 2:
        f.setBottomBorder(width);
        f.setBottomBorderBrush(brush);
        f.setBottomBorderStyle(style);
        break;
    default:
        f.setRightBorder(width);
        f.setRightBorderBrush(brush);
        f.setRightBorderStyle(style);
        break;
    }
}

QTextTableCellFormat TableReader::cellFormat(const CellDef& def, const RowDef& row, int rowIndex,
                                             int rows, int cellIndex, int cells) const
{
    QTextTableCellFormat f;
    static constexpr QTextCharFormat::VerticalAlignment Aligns[] = {
        QTextCharFormat::AlignTop, QTextCharFormat::AlignMiddle, QTextCharFormat::AlignBottom};
    if (def.valign)
        f.setVerticalAlignment(Aligns[def.valign % 3]);
    QColor background = color(def.background);
    if (def.shading > 0) {
        const QColor pattern = color(def.pattern).isValid() ? color(def.pattern) : Qt::black;
        background =
            mixed(background.isValid() ? background : Qt::white, pattern, def.shading / 10000.0);
    }
    if (background.isValid())
        f.setBackground(background);
    // A side the cell gives no border takes the row's: its outer edge on the table's edge, the
    // inside one between cells.
    const int rowSide[4] = {rowIndex == 0 ? 0 : 4, cellIndex == 0 ? 1 : 5,
                            rowIndex == rows - 1 ? 2 : 4, cellIndex == cells - 1 ? 3 : 5};
    for (int side = 0; side < 4; ++side) {
        const CellDef::Border& b =
            def.borders[side].width >= 0 ? def.borders[side] : row.borders[rowSide[side]];
        if (b.width >= 0)
            setBorder(f, side, b);
    }
    // Padding: the cell's own, else the row's, else the table's (\trgaph).
    using Setter = void (QTextTableCellFormat::*)(qreal);
    static constexpr Setter Paddings[] = {
        &QTextTableCellFormat::setTopPadding, &QTextTableCellFormat::setLeftPadding,
        &QTextTableCellFormat::setBottomPadding, &QTextTableCellFormat::setRightPadding};
    for (int side = 0; side < 4; ++side) {
        const Padding& padding =
            def.padding.unit[side] == Padding::Twips ? def.padding : row.padding;
        if (padding.unit[side] == Padding::Twips)
            (f.*Paddings[side])(padding.twips[side] / 15.0);
    }
    if (row.height)
        f.setProperty(docformat::CellRowHeightTwips, row.height);
    return f;
}

Table TableReader::buildTable(const OpenTable& open, int depth) const
{
    Table table;
    table.depth = depth;
    table.blockBegin = open.blockBegin;
    table.blockEnd = open.rows.back().cells.back().second;

    std::vector<std::vector<int>> rowEdges;
    std::vector<int> allEdges;
    for (const RawRow& row : open.rows) {
        std::vector<int> edges = edgesOf(row.def, static_cast<int>(row.cells.size()));
        allEdges.insert(allEdges.end(), edges.begin(), edges.end());
        rowEdges.push_back(std::move(edges));
    }
    std::vector<int> grid = gridOf(allEdges);
    const bool gridFits = static_cast<int>(grid.size()) - 1 <= MaxTableColumns;
    if (!gridFits) {
        // Edges too many to share: each cell is one column, as wide as a default cell.
        size_t most = 0;
        for (const RawRow& row : open.rows)
            most = std::max(most, row.cells.size());
        grid.clear();
        for (size_t i = 0; i <= most; ++i)
            grid.push_back(static_cast<int>(i) * DefaultCellWidth);
    }
    table.columns = static_cast<int>(grid.size()) - 1;

    // Cells, and the cell each column's vertical merge continues (row, cell), -1 when none.
    std::vector<std::pair<int, int>> mergeOwner(static_cast<size_t>(table.columns), {-1, -1});
    for (size_t r = 0; r < open.rows.size(); ++r) {
        const RawRow& raw = open.rows[r];
        TableRow row;
        int lastShown = -1;
        for (size_t i = 0; i < raw.cells.size(); ++i) {
            const CellDef def = i < raw.def.cells.size() ? raw.def.cells[i] : CellDef();
            TableCell cell;
            cell.blockBegin = raw.cells[i].first;
            cell.blockEnd = raw.cells[i].second;
            if (gridFits) {
                cell.column = std::min(columnAt(grid, rowEdges[r][i]), table.columns - 1);
                cell.columnSpan = std::max(1, columnAt(grid, rowEdges[r][i + 1]) - cell.column);
            } else {
                cell.column = static_cast<int>(i);
            }
            cell.columnSpan = std::min(cell.columnSpan, table.columns - cell.column);
            cell.format =
                cellFormat(def, raw.def, static_cast<int>(r), static_cast<int>(open.rows.size()),
                           static_cast<int>(i), static_cast<int>(raw.cells.size()));
            if (def.hmerge == 2 && lastShown >= 0) {
                TableCell& owner = row.cells[static_cast<size_t>(lastShown)];
                owner.columnSpan = cell.column + cell.columnSpan - owner.column;
                cell.covered = true;
                row.cells.push_back(std::move(cell));
                continue;
            }
            auto& owner = mergeOwner[static_cast<size_t>(cell.column)];
            if (def.vmerge == 2 && owner.first >= 0) {
                TableCell& top = table.rows[static_cast<size_t>(owner.first)]
                                     .cells[static_cast<size_t>(owner.second)];
                if (top.columnSpan == cell.columnSpan &&
                    owner.first + top.rowSpan == static_cast<int>(r)) {
                    ++top.rowSpan;
                    cell.covered = true;
                    row.cells.push_back(std::move(cell));
                    continue;
                }
            }
            owner = def.vmerge == 1
                        ? std::make_pair(static_cast<int>(r), static_cast<int>(row.cells.size()))
                        : std::make_pair(-1, -1);
            lastShown = static_cast<int>(row.cells.size());
            row.cells.push_back(std::move(cell));
        }
        table.rows.push_back(std::move(row));
    }

    const RowDef& first = open.rows.front().def;
    QList<QTextLength> widths;
    for (int c = 0; c < table.columns; ++c)
        widths.append(QTextLength(QTextLength::FixedLength, (grid[c + 1] - grid[c]) / 15.0));
    QTextTableFormat& f = table.format;
    f.setColumnWidthConstraints(widths);
    f.setBorderCollapse(true);
    f.setBorder(0);
    f.setCellSpacing(0);
    f.setCellPadding(first.gap / 15.0);
    if (grid.front() > 0)
        f.setLeftMargin(grid.front() / 15.0);
    static constexpr Qt::Alignment Aligns[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    f.setAlignment(Aligns[first.align % 3]);
    int headerRows = 0;
    while (headerRows < static_cast<int>(open.rows.size()) &&
           open.rows[static_cast<size_t>(headerRows)].def.header)
        ++headerRows;
    if (headerRows)
        f.setHeaderRowCount(headerRows);
    return table;
}

} // namespace rtf::detail
