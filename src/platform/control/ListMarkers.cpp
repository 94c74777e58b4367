#include "platform/control/ListMarkers.h"

#include "platform/document/ListNumbering.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>
#include <QTextTable>

#include <algorithm>

namespace
{

QTextList* numberedListOf(const QTextBlock& block)
{
    QTextList* list = block.textList();
    return list && docformat::isNumberedList(list->format()) ? list : nullptr;
}

// The table that holds the position at the document's own level, or none.
QTextTable* outermostTableAt(const QTextDocument& document, int position)
{
    QTextTable* outermost = nullptr;
    for (QTextFrame* frame = document.frameAt(position); frame; frame = frame->parentFrame())
        if (auto* table = qobject_cast<QTextTable*>(frame))
            outermost = table;
    return outermost;
}

// The first position of the table row that holds `position` (cells merged from rows above
// included), or `position` itself outside tables.
int rowStartAt(const QTextDocument& document, int position)
{
    QTextTable* table = outermostTableAt(document, position);
    if (!table)
        return position;
    const int row = table->cellAt(position).row();
    int start = position;
    for (int column = 0; column < table->columns(); ++column)
        start = std::min(start, table->cellAt(row, column).firstPosition());
    return start;
}

// Whether the whole table row that holds the paragraph lies below `bottom`.
bool rowLiesBelow(const QAbstractTextDocumentLayout& layout, const QTextBlock& block, qreal bottom)
{
    const QTextBlock rowStart =
        layout.document()->findBlock(rowStartAt(*layout.document(), block.position()));
    return layout.blockBoundingRect(rowStart).top() > bottom;
}

} // namespace

void ListMarkers::noteChange(const QTextDocument& document, int from, int length)
{
    // Numbers follow the order of the paragraphs and the lists they are in: a change inside one
    // paragraph's text, short of its end, leaves both as they were.
    QTextBlock block = document.findBlock(std::max(0, from));
    const bool withinText = block.isValid() && from >= block.position() &&
                            from + length < block.position() + block.length();
    if (!withinText || document.blockCount() != m_blockCount)
        m_numbers.clear();
    m_blockCount = document.blockCount();
    const QTextBlock last = document.findBlock(from + length);
    for (; block.isValid(); block = block.next()) {
        if (QTextList* list = numberedListOf(block))
            noteList(list);
        if (block == last)
            break;
    }
}

void ListMarkers::noteList(QTextList* list)
{
    QList<QPointer<QTextList>>& lists = m_outlines[docformat::outlineKeyOf(*list)];
    lists.removeAll(nullptr);
    if (!lists.contains(list)) {
        lists.append(list);
        m_numbers.remove(docformat::outlineKeyOf(*list));
    }
}

QString ListMarkers::numberOf(const QTextBlock& block)
{
    QTextList* list = numberedListOf(block);
    if (!list)
        return QString();
    noteList(list);
    const qint64 key = docformat::outlineKeyOf(*list);
    auto numbers = m_numbers.find(key);
    if (numbers == m_numbers.end()) {
        QList<const QTextList*> levels;
        for (const QPointer<QTextList>& level : m_outlines.value(key))
            if (level && docformat::outlineKeyOf(*level) == key)
                levels.append(level);
        numbers = m_numbers.insert(key, docformat::numbersOfOutline(levels));
    }
    return numbers->value(block.blockNumber());
}

void ListMarkers::draw(const QAbstractTextDocumentLayout& layout, QPainter* painter,
                       const QAbstractTextDocumentLayout::PaintContext& context)
{
    if (m_outlines.isEmpty())
        return;
    const QTextDocument& document = *layout.document();
    const QRectF clip =
        context.clip.isValid() ? context.clip : QRectF(QPointF(0, 0), layout.documentSize());
    const int hit = layout.hitTest(clip.topLeft(), Qt::FuzzyHit);
    QTextBlock block = hit >= 0 ? document.findBlock(rowStartAt(document, hit)) : document.begin();
    while (block.isValid()) {
        const QRectF rect = layout.blockBoundingRect(block);
        if (rect.top() > clip.bottom()) {
            // Below the clip: done, unless the paragraph is in a table row that also holds
            // paragraphs in the clip; a row wholly below ends the table's part.
            QTextTable* table = outermostTableAt(document, block.position());
            if (!table)
                break;
            if (rowLiesBelow(layout, block, clip.bottom())) {
                block = document.findBlock(table->lastPosition() + 1);
                continue;
            }
        } else if (rect.bottom() >= clip.top() && numberedListOf(block)) {
            drawNumber(layout, painter, context, block, rect);
        }
        block = block.next();
    }
}

void ListMarkers::drawNumber(const QAbstractTextDocumentLayout& layout, QPainter* painter,
                             const QAbstractTextDocumentLayout::PaintContext& context,
                             const QTextBlock& block, const QRectF& blockRect)
{
    const QTextLayout* textLayout = block.layout();
    if (!textLayout || textLayout->lineCount() == 0)
        return;
    const QString number = numberOf(block);
    if (number.isEmpty())
        return;
    const QTextCharFormat charFormat = QTextCursor(block).charFormat();
    QPaintDevice* device = layout.paintDevice();
    const QFont font = device ? QFont(charFormat.font(), device) : charFormat.font();
    const QFontMetricsF metrics = device ? QFontMetricsF(font, device) : QFontMetricsF(font);
    const QTextLine firstLine = textLayout->lineAt(0);
    const QRectF textRect = firstLine.naturalTextRect().translated(blockRect.topLeft());
    const qreal width = metrics.horizontalAdvance(number);
    const qreal gap = metrics.horizontalAdvance(u' ');
    qreal x;
    if (block.textDirection() == Qt::RightToLeft) {
        x = std::min(textRect.right() + gap, blockRect.right() - width);
    } else {
        // As Qt places a list's number, but never left of the paragraph's frame.
        x = std::max(textRect.left() - gap - width, blockRect.left());
    }
    const QRectF numberRect(x, textRect.top(), width, firstLine.height());

    painter->save();
    painter->setFont(font);
    QBrush foreground = charFormat.foreground();
    if (foreground.style() == Qt::NoBrush)
        foreground = context.palette.text();
    for (const QAbstractTextDocumentLayout::Selection& selection : context.selections) {
        // Selected from before the paragraph's start: the number is shown selected, as Qt does.
        if (selection.cursor.selectionStart() < block.position() &&
            selection.cursor.selectionEnd() > block.position()) {
            painter->fillRect(numberRect, selection.format.background());
            foreground = selection.format.foreground();
        }
    }
    painter->setPen(QPen(foreground, 0));
    painter->drawText(QPointF(x, textRect.top() + firstLine.ascent()), number);
    painter->restore();
}
