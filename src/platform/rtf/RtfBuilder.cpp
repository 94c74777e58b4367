#include "platform/rtf/RtfBuilder.h"

#include <QTextBlock>
#include <QTextList>
#include <QTextTable>

namespace rtf::detail
{

void ContentBuilder::useFormatsFor(int index, const QTextBlockFormat& block,
                                   const QTextCharFormat& mark)
{
    m_formatsIndex = index;
    m_blockFormat = block;
    m_markFormat = mark;
}

bool ContentBuilder::insertBlocks(int begin, int end)
{
    bool first = true;
    for (int i = begin; i < end;) {
        const auto& tables = m_model.tables;
        // Tables that began before `begin` (a cell's own table cannot) are passed over.
        while (m_nextTable < tables.size() && tables[m_nextTable].blockBegin < i)
            ++m_nextTable;
        if (m_nextTable < tables.size() && tables[m_nextTable].blockBegin == i &&
            tables[m_nextTable].blockEnd <= end) {
            const Table& table = tables[m_nextTable++];
            // The table ends the paragraph at the cursor (an empty one when nothing came before,
            // as a QTextDocument always has a paragraph before a table); the paragraph after it
            // takes the next block.
            insertTable(table);
            first = true;
            i = table.blockEnd;
            continue;
        }
        insertBlock(i, first);
        first = false;
        ++i;
    }
    return first && end > begin;
}

void ContentBuilder::insertBlock(int index, bool first)
{
    const Block& block = m_model.blocks[static_cast<size_t>(index)];
    const bool takesGiven = index == m_formatsIndex;
    const QTextBlockFormat& blockFormat =
        takesGiven ? m_blockFormat : m_model.blockFormats[static_cast<size_t>(block.blockFormat)];
    const QTextCharFormat& markFormat =
        takesGiven ? m_markFormat : m_model.charFormats[static_cast<size_t>(block.charFormat)];
    if (first) {
        m_cursor.setBlockFormat(blockFormat);
        // A cell's first paragraph mark is the cell itself: insertTable gives it that format.
        if (!(m_keepFirstMark && !m_insertedAny) && !m_atCellStart)
            m_cursor.setBlockCharFormat(markFormat);
        m_atCellStart = false;
    } else {
        m_cursor.insertBlock(blockFormat, markFormat);
    }
    m_insertedAny = true;
    insertRuns(block);
    if (!takesGiven)
        applyList(block);
}

void ContentBuilder::insertRuns(const Block& block)
{
    for (int r = block.runBegin; r < block.runEnd; ++r) {
        const Run& run = m_model.runs[static_cast<size_t>(r)];
        m_cursor.insertText(QString::fromRawData(m_model.text.constData() + run.start, run.length),
                            m_model.charFormats[static_cast<size_t>(run.format)]);
    }
}

void ContentBuilder::applyList(const Block& block)
{
    if (block.list < 0 || block.list >= static_cast<int>(m_model.lists.size())) {
        applyBullet(block.bulletLevel);
        return;
    }
    m_bulletList = nullptr;
    if (m_lists.empty())
        m_lists.resize(m_model.lists.size(), nullptr);
    QTextList*& list = m_lists[static_cast<size_t>(block.list)];
    if (list)
        list->add(m_cursor.block());
    else
        list = m_cursor.createList(m_model.lists[static_cast<size_t>(block.list)]);
}

// A bullet joins the list of the paragraph before when that one is a bullet of the same level.
void ContentBuilder::applyBullet(int level)
{
    if (level <= 0) {
        m_bulletList = nullptr;
        return;
    }
    if (m_bulletList && m_bulletLevel == level) {
        m_bulletList->add(m_cursor.block());
        return;
    }
    QTextListFormat format;
    format.setStyle(QTextListFormat::ListDisc);
    format.setIndent(level);
    m_bulletList = m_cursor.createList(format);
    m_bulletLevel = level;
}

bool ContentBuilder::cellIsEmpty(const TableCell& cell) const
{
    for (int b = cell.blockBegin; b < cell.blockEnd; ++b) {
        const Block& block = m_model.blocks[static_cast<size_t>(b)];
        if (block.runEnd > block.runBegin)
            return false;
    }
    return true;
}

void ContentBuilder::insertTable(const Table& model)
{
    const int rows = static_cast<int>(model.rows.size());
    QTextTable* table = m_cursor.insertTable(rows, model.columns, model.format);
    for (int r = 0; r < rows; ++r)
        for (const TableCell& cell : model.rows[static_cast<size_t>(r)].cells)
            if (!cell.covered && (cell.rowSpan > 1 || cell.columnSpan > 1))
                table->mergeCells(r, cell.column, cell.rowSpan, cell.columnSpan);
    for (int r = 0; r < rows; ++r) {
        for (const TableCell& cell : model.rows[static_cast<size_t>(r)].cells) {
            QTextTableCell target = table->cellAt(r, cell.column);
            if (cell.covered) {
                // A merged cell's text joins the cell that covers it; an empty one adds nothing.
                if (cellIsEmpty(cell))
                    continue;
                m_cursor = target.lastCursorPosition();
                m_cursor.insertBlock();
            } else {
                m_cursor = target.firstCursorPosition();
                m_atCellStart = true;
            }
            insertBlocks(cell.blockBegin, cell.blockEnd);
            m_atCellStart = false;
            if (!cell.covered) {
                // The cell's format is also its first paragraph's mark format.
                QTextTableCell filled = table->cellAt(r, cell.column);
                QTextCharFormat format = filled.format();
                if (cell.blockBegin < cell.blockEnd)
                    format.merge(m_model.charFormats[static_cast<size_t>(
                        m_model.blocks[static_cast<size_t>(cell.blockBegin)].charFormat)]);
                format.merge(cell.format);
                filled.setFormat(format);
            }
        }
    }
    m_cursor.setPosition(table->lastPosition() + 1);
}

} // namespace rtf::detail
