#pragma once

#include "platform/rtf/RtfModel.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include <optional>
#include <vector>

class QTextList;
class QTextTable;

namespace rtf::detail
{

// Puts a model's paragraphs, lists and tables into a document at a cursor.
class ContentBuilder
{
public:
    ContentBuilder(const Model& model, QTextCursor& cursor) : m_model(model), m_cursor(cursor) {}

    // The first block inserted keeps the character format of the paragraph at the cursor.
    void keepFirstMarkFormat() { m_keepFirstMark = true; }
    // Block `index` takes these formats and no list (pasting: the text after the cursor joins it).
    void useFormatsFor(int index, const QTextBlockFormat& block, const QTextCharFormat& mark);

    // Inserts the blocks [begin, end) and the tables among them. The first one fills the paragraph
    // at the cursor; each next one starts a paragraph. True when the last thing inserted was a
    // table: the cursor is then at the start of the paragraph after it.
    bool insertBlocks(int begin, int end);

private:
    void insertBlock(int index, bool first);
    void insertRuns(const Block& block);
    void applyList(const Block& block);
    void applyBullet(int level);
    void insertTable(const Table& table);
    bool cellIsEmpty(const TableCell& cell) const;

    const Model& m_model;
    QTextCursor& m_cursor;
    size_t m_nextTable = 0;
    bool m_keepFirstMark = false;
    bool m_insertedAny = false;
    bool m_atCellStart = false;
    int m_formatsIndex = -1;
    QTextBlockFormat m_blockFormat;
    QTextCharFormat m_markFormat;
    std::vector<QTextList*> m_lists; // one per model list, made when its first item is
    QTextList* m_bulletList = nullptr;
    int m_bulletLevel = 0;
};

} // namespace rtf::detail
