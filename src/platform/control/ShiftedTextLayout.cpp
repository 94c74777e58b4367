#include "platform/control/ShiftedTextLayout.h"

#include "platform/control/LineStacking.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

bool isSuperOrSubscript(const QTextCharFormat& format)
{
    return format.verticalAlignment() == QTextCharFormat::AlignSuperScript ||
           format.verticalAlignment() == QTextCharFormat::AlignSubScript;
}

bool isShifted(const QTextCharFormat& format)
{
    return format.baselineOffset() != 0 || isSuperOrSubscript(format);
}

// How far a line's text reaches above and below its baseline.
struct Reach {
    qreal above = 0;
    qreal below = 0;
};

// The font Qt draws the fragment in: superscript and subscript at two thirds of the size, in
// whole points or pixels as Qt rounds them.
QFont drawnFont(const QTextCharFormat& format, const QPaintDevice* device)
{
    QFont font = device ? QFont(format.font(), device) : format.font();
    if (isSuperOrSubscript(format)) {
        if (font.pointSize() != -1)
            font.setPointSize(font.pointSize() * 2 / 3);
        else
            font.setPixelSize(font.pixelSize() * 2 / 3);
    }
    return font;
}

// The reach of a raised or lowered fragment, measured the way Qt moves it when drawing: by a
// share of its font's height.
Reach reachOf(const QTextCharFormat& format, const QPaintDevice* device)
{
    const QFont font = drawnFont(format, device);
    const QFontMetricsF metrics = device ? QFontMetricsF(font, device) : QFontMetricsF(font);
    const qreal height = metrics.ascent() + metrics.descent();
    qreal raise = height * format.baselineOffset() / 100;
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        raise += height * format.superScriptBaseline() / 100;
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        raise -= height * format.subScriptBaseline() / 100;
    return {metrics.ascent() + raise, metrics.descent() - raise};
}

// The reach of the raised and lowered text of each line of the laid-out paragraph.
std::vector<Reach> reachOfLines(const QTextBlock& block, const QPaintDevice* device)
{
    const QTextLayout& layout = *block.layout();
    std::vector<Reach> reach(layout.lineCount());
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        if (!isShifted(format))
            continue;
        const Reach fragmentReach = reachOf(format, device);
        const int start = fragment.position() - block.position();
        const QTextLine first = layout.lineForTextPosition(start);
        const QTextLine last = layout.lineForTextPosition(start + fragment.length() - 1);
        if (!first.isValid() || !last.isValid())
            continue;
        for (int line = first.lineNumber(); line <= last.lineNumber(); ++line) {
            reach[line].above = std::max(reach[line].above, fragmentReach.above);
            reach[line].below = std::max(reach[line].below, fragmentReach.below);
        }
    }
    return reach;
}

} // namespace

ShiftedTextLayout::ShiftedTextLayout(QTextDocument* document)
    : QTextDocumentLayout(document), m_blockCount(document->blockCount())
{
}

bool ShiftedTextLayout::holdsShiftedText(const QTextBlock& block)
{
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        if (isShifted(it.fragment().charFormat()))
            return true;
    }
    return false;
}

void ShiftedTextLayout::layOutWholeDocument()
{
    // Asking for the last paragraph's place lays out everything before it.
    QTextDocumentLayout::blockBoundingRect(document()->lastBlock());
    makeRoomInNewlyLaidOut();
}

void ShiftedTextLayout::draw(QPainter* painter, const PaintContext& context)
{
    QTextDocumentLayout::draw(painter, context);
    m_listMarkers.draw(*this, painter, context);
}

void ShiftedTextLayout::documentChanged(int from, int oldLength, int length)
{
    noteListChange(from, length);
    layOutWithQt(from, oldLength, length);
    makeRoomAfterChange(from, length, oldLength == 0 && length == document()->characterCount());
}

void ShiftedTextLayout::timerEvent(QTimerEvent* event)
{
    QTextDocumentLayout::timerEvent(event);
    makeRoomInNewlyLaidOut();
}

void ShiftedTextLayout::makeRoomAfterChange(int from, int length, bool laidOutAnew)
{
    const int blockCount = document()->blockCount();
    const QTextBlock changed = document()->findBlock(from);
    if (laidOutAnew)
        m_checkedBlocks = 0;
    else if (changed.isValid() && changed.blockNumber() < m_checkedBlocks)
        m_checkedBlocks =
            std::max(changed.blockNumber(), m_checkedBlocks + blockCount - m_blockCount);
    m_blockCount = blockCount;

    // Laying out the changed paragraphs can lay out the one before them again too.
    QTextBlock first =
        changed.isValid() && changed.previous().isValid() ? changed.previous() : changed;
    QTextBlock end = document()->findBlock(from + length);
    end = end.isValid() ? end.next() : end;
    QTextBlock firstGrown;
    growParagraphs(first, end, firstGrown);
    moveParagraphsAfter(firstGrown);
    makeRoomInNewlyLaidOut();
}

void ShiftedTextLayout::makeRoomInNewlyLaidOut()
{
    QTextBlock block = document()->findBlockByNumber(m_checkedBlocks);
    QTextBlock end = block;
    while (end.isValid() && (end.layout()->lineCount() > 0 || !end.isVisible()))
        end = end.next();
    QTextBlock firstGrown;
    if (end != block) {
        m_checkedBlocks = end.isValid() ? end.blockNumber() : document()->blockCount();
        growParagraphs(block, end, firstGrown);
    }
    moveParagraphsAfter(firstGrown);
}

void ShiftedTextLayout::growParagraphs(QTextBlock block, const QTextBlock& end,
                                       QTextBlock& firstGrown) const
{
    for (; block.isValid() && block != end; block = block.next()) {
        if (growLines(block) && !firstGrown.isValid())
            firstGrown = block;
    }
}

void ShiftedTextLayout::moveParagraphsAfter(const QTextBlock& grown)
{
    // While a lazy layout is under way, moving would end it before it reached the document's end:
    // the paragraphs after the grown one are moved once it has.
    if (grown.isValid() && layoutStatus() < 100) {
        m_moveWaits = true;
        return;
    }
    if (!grown.isValid() && !(m_moveWaits && layoutStatus() == 100))
        return;
    // Qt moves every paragraph after a change to its new place and lays out again only the
    // paragraph holding the change: here the one before, when it has no room of its own to
    // lose, or none at all (a change before the document's start, which moves everything).
    const QTextBlock previous = grown.isValid() ? grown.previous() : QTextBlock();
    const int anchor = previous.isValid() && !holdsShiftedText(previous) && !m_moveWaits
                           ? grown.position() - 1
                           : -1;
    m_moveWaits = false;
    layOutWithQt(anchor, 2, 0);
}

void ShiftedTextLayout::layOutWithQt(int from, int oldLength, int length)
{
    const int changeFrom = from;
    const int inPlaceFrom = m_inPlaceFrom;
    if (inPlaceFrom >= 0 && from > inPlaceFrom) {
        // Close by, the stretch between is laid out again with the change; far apart, Qt goes
        // over the document twice rather than lay out everything between.
        constexpr int NearbyStretch = 2000;
        const int gap = from - inPlaceFrom;
        if (gap <= NearbyStretch) {
            from = inPlaceFrom;
            oldLength += gap;
            length += gap;
        } else {
            QTextDocumentLayout::documentChanged(inPlaceFrom, 0, 0);
        }
    }
    m_inPlaceFrom = -1;
    m_inPlaceShift = 0;
    m_inPlaceBlock = -1;
    QTextDocumentLayout::documentChanged(from, oldLength, length);
    if (inPlaceFrom >= 0 && changeFrom > inPlaceFrom) {
        // Qt laid paragraphs before the change out again: they get their room back (the changed
        // ones get it from the caller).
        QTextBlock firstGrown;
        growParagraphs(document()->findBlock(inPlaceFrom), document()->findBlock(changeFrom),
                       firstGrown);
        moveParagraphsAfter(firstGrown);
    }
}

bool ShiftedTextLayout::mayLayOutInPlace(int block, int delta) const
{
    if (layoutStatus() < 100)
        return false;
    if (delta >= 0)
        return true;
    return m_inPlaceFrom >= 0 && m_inPlaceBlock == block && m_inPlaceShift + delta >= 0;
}

void ShiftedTextLayout::noteLaidOutInPlace(int from, int block, int delta)
{
    m_inPlaceBlock = m_inPlaceFrom < 0 || m_inPlaceBlock == block ? block : -1;
    m_inPlaceFrom = m_inPlaceFrom < 0 ? from : std::min(m_inPlaceFrom, from);
    m_inPlaceShift += delta;
}

bool ShiftedTextLayout::growLines(const QTextBlock& block) const
{
    QTextLayout* layout = block.layout();
    // A paginated layout places lines on pages as it lays them out; it is left as Qt made it.
    const qreal pageHeight = document()->pageSize().height();
    if ((pageHeight > 0 && pageHeight < qreal(INT_MAX)) || !block.isVisible() || !layout ||
        layout->lineCount() == 0 || !holdsShiftedText(block))
        return false;
    const QTextBlockFormat format = block.blockFormat();
    if (!linestacking::hasPlainLineStacking(format))
        return false;
    const std::vector<Reach> reach = reachOfLines(block, paintDevice());
    const qreal scaling = linestacking::scalingFor(paintDevice());
    QScriptLineArray& lines = layout->engine()->lines;
    bool changed = false;
    QFixed shift = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QScriptLine& line = lines[i];
        const QFixed advance = linestacking::advanceOf(line, format, scaling);
        const QFixed ascent = std::max(line.ascent, QFixed::fromReal(reach[i].above).ceil());
        const QFixed descent = std::max(line.descent, QFixed::fromReal(reach[i].below).ceil());
        if (ascent != line.ascent || descent != line.descent)
            changed = true;
        line.ascent = ascent;
        line.descent = descent;
        line.y += shift;
        shift += linestacking::advanceOf(line, format, scaling) - advance;
    }
    return changed;
}
