#include "platform/control/IncrementalDocumentLayout.h"

#include "platform/control/LineStacking.h"

#include <QPaintDevice>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QtCore/private/qunicodetools_p.h>
#include <QtGui/private/qfont_p.h>
#include <QtGui/private/qtextengine_p.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>
#include <vector>

namespace
{

// The layout reaches into Qt's text engine, whose private layout may change between Qt versions:
// it only takes over when it runs against the exact Qt it was built with.
bool runningOnBuildQt()
{
    static const bool same = qstrcmp(qVersion(), QT_VERSION_STR) == 0;
    return same;
}

int endOf(const QScriptLine& line)
{
    return line.from + line.length + line.trailingSpaces;
}

using CharAttributes = std::vector<QCharAttributes>;
static_assert(sizeof(QCharAttributes) == 1, "an analysis is kept as one byte per character");

// The break and boundary analysis of the engine's text, computed if need be: one entry per
// character and one for the end of the text.
QByteArray charAttributesOf(const QTextEngine& engine)
{
    const QCharAttributes* attributes = engine.attributes();
    if (!attributes)
        return {};
    return QByteArray(reinterpret_cast<const char*>(attributes),
                      engine.layoutData->string.size() + 1);
}

bool sameAttributes(const QCharAttributes* a, const QCharAttributes* b, int count)
{
    return count <= 0 || std::memcmp(a, b, sizeof(QCharAttributes) * count) == 0;
}

// Qt analyses a whole paragraph for break opportunities whenever its text changes. A character's
// analysis depends on its neighbourhood only, so after an edit this analyses a stretch around the
// edit again and takes the rest over from before, moved. The new analysis must agree with the old
// one over a margin on both sides of the edit; where it does not, the edit reaches further (a long
// number, for instance) and the engine analyses the whole paragraph after all.
bool carryOverCharAttributes(QTextEngine& engine, const QByteArray& oldAnalysis, int changeStart,
                             int oldLength, int length)
{
    const auto* oldData = reinterpret_cast<const QCharAttributes*>(oldAnalysis.constData());
    const std::span<const QCharAttributes> old(oldData, size_t(oldAnalysis.size()));
    constexpr int Margin = 128; // characters analysed again on each side of the edit
    constexpr int Guard = 64;   // of which those farthest out must agree with the old analysis
    const QString& text = engine.layoutData->string;
    const int textLength = int(text.size());
    const int delta = length - oldLength;
    if (int(old.size()) != textLength - delta + 1)
        return false;
    const int changeEnd = changeStart + length;
    const int windowStart = std::max(0, changeStart - 2 * Margin);
    const int windowEnd = std::min(textLength, changeEnd + 2 * Margin);
    // The first and last `Margin` characters of the window lack context and are not used; near the
    // text's ends the window holds all the context there is.
    const int usedFrom = windowStart == 0 ? 0 : windowStart + Margin;
    const int usedTo = windowEnd == textLength ? textLength : windowEnd - Margin;

    const QScriptItemArray& items = engine.layoutData->items;
    QVarLengthArray<QUnicodeTools::ScriptItem, 16> scripts;
    for (qsizetype i = 0; i < items.size() && items[i].position < windowEnd; ++i) {
        const int itemEnd = i + 1 < items.size() ? items[i + 1].position : textLength;
        if (itemEnd > windowStart)
            scripts.append({std::max(items[i].position, windowStart) - windowStart,
                            QChar::Script(items[i].analysis.script)});
    }
    CharAttributes window(windowEnd - windowStart + 1);
    QUnicodeTools::initCharAttributes(
        QStringView(text).mid(windowStart, windowEnd - windowStart), scripts.data(), scripts.size(),
        window.data(),
        QUnicodeTools::CharAttributeOptions(QUnicodeTools::GraphemeBreaks |
                                            QUnicodeTools::LineBreaks | QUnicodeTools::WhiteSpaces |
                                            QUnicodeTools::HangulLineBreakTailoring));
    auto recomputed = [&](int position) { return window.data() + (position - windowStart); };
    const int leftChecked = std::min(changeStart, usedFrom + Guard);
    const int rightChecked = std::max(changeEnd, usedTo - Guard);
    if ((usedFrom > 0 &&
         !sameAttributes(recomputed(usedFrom), old.data() + usedFrom, leftChecked - usedFrom)) ||
        (usedTo < textLength &&
         !sameAttributes(recomputed(rightChecked), old.data() + rightChecked - delta,
                         usedTo - rightChecked)))
        return false;

    if (!engine.ensureSpace(textLength))
        return false;
    auto* attributes = reinterpret_cast<QCharAttributes*>(engine.layoutData->memory);
    std::copy(old.data(), old.data() + usedFrom, attributes);
    std::copy(recomputed(usedFrom), recomputed(usedTo), attributes + usedFrom);
    std::copy(old.data() + usedTo - delta, old.data() + old.size(), attributes + usedTo);
    engine.layoutData->haveCharAttributes = true;
    return true;
}

// Where and how wide a wrapped line of the paragraph goes: the first line carries the first-line
// indent, every other line shares one geometry.
struct LineGeometry {
    qreal x;
    qreal width;
};

} // namespace

IncrementalDocumentLayout::IncrementalDocumentLayout(QTextDocument* document)
    : ShiftedTextLayout(document), m_blockCount(document->blockCount())
{
}

bool IncrementalDocumentLayout::isLaidOut(const QTextBlock& block)
{
    return !block.isValid() || !block.isVisible() || block.layout()->lineCount() > 0;
}

bool IncrementalDocumentLayout::waitsForLayout(const QTextBlock& block)
{
    if (isLaidOut(block))
        return false;
    const auto* layout =
        qobject_cast<IncrementalDocumentLayout*>(block.document()->documentLayout());
    return layout && layout->layoutStatus() < 100;
}

void IncrementalDocumentLayout::ensureLaidOut(const QTextBlock& block)
{
    if (isLaidOut(block))
        return;
    QAbstractTextDocumentLayout* layout = block.document()->documentLayout();
    if (auto* incremental = qobject_cast<IncrementalDocumentLayout*>(layout))
        incremental->QTextDocumentLayout::blockBoundingRect(block);
    else
        layout->blockBoundingRect(block);
}

QRectF IncrementalDocumentLayout::blockBoundingRect(const QTextBlock& block) const
{
    if (m_inBackground && !isLaidOut(block)) {
        const QSizeF laidOut = dynamicDocumentSize();
        return QRectF(0, laidOut.height(), laidOut.width(), 0);
    }
    return QTextDocumentLayout::blockBoundingRect(block);
}

void IncrementalDocumentLayout::documentChanged(int from, int oldLength, int length)
{
    noteListChange(from, length);
    const int blockCount = document()->blockCount();
    const bool sameParagraphs = blockCount == m_blockCount;
    m_blockCount = blockCount;
    bool laidOutAnew = std::max(oldLength, length) >= LargeChange ||
                       (oldLength == 0 && length == document()->characterCount());
    if (!laidOutAnew)
        m_sinceEdit.start();
    if (std::max(oldLength, length) >= LargeChange) {
        // Qt lays a changed stretch out whole before returning: a paste of a thousand pages would
        // keep the window frozen for the time it takes. Laid out like a newly loaded document,
        // the first screen is done now and the rest follows in short steps between events.
        layOutAnewInBackground();
    } else if (!sameParagraphs || !runningOnBuildQt() ||
               !layOutInParagraph(document()->findBlock(from), from, oldLength, length)) {
        const bool layingOut = layoutStatus() < 100;
        forgetAnalysis();
        layOutWithQt(from, oldLength, length);
        // Qt lays out a change from the place it last noted above it down to the next one below;
        // in a lazy layout, when the paragraphs past the change are not laid out yet it finds no
        // place below, passes over all of them and takes the layout for finished. Laid out anew
        // in the background instead.
        if (layingOut && layoutStatus() == 100 && !isLaidOut(document()->lastBlock())) {
            layOutAnewInBackground();
            laidOutAnew = true;
        }
    }
    makeRoomAfterChange(from, length, laidOutAnew);
    noteLayoutProgress();
}

void IncrementalDocumentLayout::layOutAnewInBackground()
{
    forgetAnalysis();
    layOutWithQt(0, 0, document()->characterCount());
    m_inBackground = true;
}

bool IncrementalDocumentLayout::layOutInParagraph(const QTextBlock& block, int from, int oldLength,
                                                  int length)
{
    // Qt moves every paragraph below a change to its new place, which on a long document costs
    // more than laying out the changed paragraph. When the paragraph keeps its height nothing
    // needs to move. Long paragraphs are laid out in place in any case: their lines before the
    // change are kept.
    const bool longParagraph =
        block.length() > LongParagraph && document()->rootFrame()->childFrames().isEmpty();
    const bool mayKeepPlace = mayLayOutInPlace(block.blockNumber(), length - oldLength) &&
                              keepsPlaceWhenEdited(block, from);
    if (!longParagraph && !mayKeepPlace)
        return false;
    bool heightKept = false;
    if (!reflowInPlace(block, from, oldLength, length, heightKept))
        return false;
    if (heightKept && mayKeepPlace) {
        noteLaidOutInPlace(from, block.blockNumber(), length - oldLength);
        ++m_movedNothing;
        return true;
    }
    // Qt moves what follows a paragraph of the document's flow; in a table, the changed paragraph
    // is left to Qt, which lays the table out again.
    if (frameOf(block) != document()->rootFrame())
        return false;
    placeParagraphsFrom(block);
    return true;
}

QTextFrame* IncrementalDocumentLayout::frameOf(const QTextBlock& block)
{
    return QTextCursor(block).currentFrame();
}

bool IncrementalDocumentLayout::keepsPlaceWhenEdited(const QTextBlock& block, int from) const
{
    QTextFrame* const frame = frameOf(block);
    if (frame != document()->rootFrame() && !holdsTextInFixedColumns(frame, block))
        return false;
    const auto inFrame = [frame](const QTextBlock& b) {
        return !b.isValid() || frameOf(b) == frame;
    };
    if (inFrame(block.previous()) && inFrame(block.next()))
        return true;
    // Beside a table, Qt places an empty paragraph inside the table's border, and one that starts
    // with a line break right after a table up into its last row: a change that makes or unmakes
    // either moves what follows. A change after the first character can do neither.
    return from > block.position() && block.text().front() != QChar::LineSeparator;
}

bool IncrementalDocumentLayout::holdsTextInFixedColumns(QTextFrame* frame, const QTextBlock& block)
{
    // A table sizes its columns by their content unless they have fixed widths; even then a cell
    // spanning columns shares its widest word out among them and can widen one. Text that fits
    // its lines in a cell of one fixed-width column changes no column.
    const auto* table = qobject_cast<QTextTable*>(frame);
    if (!table || table->cellAt(block.position()).columnSpan() != 1)
        return false;
    const QList<QTextLength> widths = table->format().columnWidthConstraints();
    return widths.size() == table->columns() &&
           std::all_of(widths.begin(), widths.end(), [](const QTextLength& width) {
               return width.type() == QTextLength::FixedLength;
           });
}

void IncrementalDocumentLayout::forgetAnalysis()
{
    m_analysis.clear();
    m_analysisBlock = -1;
}

void IncrementalDocumentLayout::timerEvent(QTimerEvent* event)
{
    // While a lazy layout runs, its only timer is its next step: that waits out the typing.
    if (layoutStatus() < 100 && m_sinceEdit.isValid() && !m_sinceEdit.hasExpired(TypingPauseMs))
        return;
    ShiftedTextLayout::timerEvent(event);
    noteLayoutProgress();
}

void IncrementalDocumentLayout::noteLayoutProgress()
{
    const bool layingOut = layoutStatus() < 100;
    if (!layingOut)
        m_inBackground = false;
    if (m_layingOut && !layingOut)
        Q_EMIT layoutCaughtUp();
    m_layingOut = layingOut;
}

void IncrementalDocumentLayout::placeParagraphsFrom(const QTextBlock& block)
{
    // Qt's layout moves the paragraph and everything after it to their new heights and positions
    // when told of a change that ends before the paragraph: it lays out again only the paragraph
    // holding the change, here the short one before, or none at all when the change lies before
    // the document's start.
    const QTextBlock previous = block.previous();
    const int anchor =
        previous.isValid() && previous.length() < LongParagraph ? block.position() - 1 : -1;
    layOutWithQt(anchor, 2, 0);
}

bool IncrementalDocumentLayout::reflowInPlace(const QTextBlock& block, int from, int oldLength,
                                              int length, bool& heightKept)
{
    if (!block.isValid() || !block.isVisible())
        return false;
    const int textLength = block.length() - 1;
    const int changeStart = from - block.position();
    if (changeStart < 0 || changeStart + length > textLength)
        return false;

    QTextLayout* layout = block.layout();
    QTextEngine* engine = layout->engine();
    const QScriptLineArray oldLines = engine->lines;
    const int delta = length - oldLength;
    if (oldLines.isEmpty() || endOf(oldLines.constLast()) != textLength - delta ||
        changeStart + oldLength > textLength - delta)
        return false;

    const QTextBlockFormat format = block.blockFormat();
    const QTextOption::WrapMode wrap = layout->textOption().wrapMode();
    if (!linestacking::hasPlainLineStacking(format) || block.textDirection() != Qt::LeftToRight ||
        !layout->preeditAreaText().isEmpty() || document()->pageSize().height() > 0 ||
        (wrap != QTextOption::WordWrap && wrap != QTextOption::WrapAtWordBoundaryOrAnywhere))
        return false;

    const qreal scaling = linestacking::scalingFor(paintDevice());
    const LineGeometry first{oldLines[0].x.toReal(), oldLines[0].width.toReal()};
    const LineGeometry other =
        oldLines.size() > 1
            ? LineGeometry{oldLines[1].x.toReal(), oldLines[1].width.toReal()}
            : LineGeometry{first.x - format.textIndent(), first.width + format.textIndent()};

    // The line holding the change and the one before it are broken again: shortening the first
    // word of a line can pull it up onto the previous one.
    const auto changed = std::find_if(oldLines.begin(), oldLines.end(),
                                      [&](const QScriptLine& l) { return endOf(l) > changeStart; });
    const int firstRedone = std::max(0, int(changed - oldLines.begin()) - 1);

    layout->setCacheEnabled(true);
    const QFixed minWidth = engine->minWidth;
    const QFixed maxWidth = engine->maxWidth;
    engine->invalidate();
    engine->lines.resize(firstRedone);
    engine->itemize();
    if (engine->layoutData->hasBidi)
        return false; // the document layout lays the cleared paragraph out anew
    // Qt dropped the paragraph's analysis with the edit; the copy kept after the last edit of the
    // same paragraph serves instead.
    if (m_analysisBlock == block.fragmentIndex() &&
        carryOverCharAttributes(*engine, m_analysis, changeStart, oldLength, length))
        ++m_analysesCarriedOver;
    engine->minWidth = minWidth;
    engine->maxWidth = maxWidth;
    engine->layoutData->layoutState = QTextEngine::InLayout;

    const int changeEnd = changeStart + length;
    QFixed y = oldLines[firstRedone].y;
    int resumeAt = -1;
    for (int index = firstRedone;; ++index) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        const LineGeometry& geometry = index == 0 ? first : other;
        line.setLeadingIncluded(true);
        line.setLineWidth(geometry.width);
        if (line.naturalTextWidth() > geometry.width) {
            layout->endLayout();
            return false;
        }
        line.setPosition(QPointF(geometry.x, y.toReal()));
        y += linestacking::advanceOf(engine->lines[index], format, scaling);

        // Once a line ends past the change at a break the old layout also had, the old lines
        // from there on hold the same text and stay as they were, moved.
        const int nextStart = endOf(engine->lines[index]);
        if (nextStart > changeEnd) {
            const auto same =
                std::lower_bound(oldLines.begin() + firstRedone, oldLines.end(), nextStart - delta,
                                 [](const QScriptLine& l, int start) { return l.from < start; });
            if (same != oldLines.end() && same->from == nextStart - delta) {
                resumeAt = int(same - oldLines.begin());
                break;
            }
        }
    }
    // What is drawn anew: the lines broken again, and the rest of the page if lines moved.
    const int redoneEnd = engine->lines.size();
    const QScriptLine oldLast = oldLines.constLast();
    if (resumeAt >= 0) {
        const QFixed shift = y - oldLines[resumeAt].y;
        for (int index = resumeAt; index < oldLines.size(); ++index) {
            QScriptLine moved = oldLines[index];
            moved.from += delta;
            moved.y += shift;
            moved.justified = false; // its glyphs are shaped anew when drawn
            moved.gridfitted = false;
            engine->lines.append(moved);
        }
    }
    layout->endLayout();
    // The lines broken again get their room for raised and lowered text as before; the paragraph
    // kept its height when its last line ends where it did.
    if (holdsShiftedText(block))
        growLines(block);
    const QScriptLine& last = engine->lines.constLast();
    heightKept = last.y == oldLast.y && last.ascent == oldLast.ascent &&
                 last.descent == oldLast.descent && last.leading == oldLast.leading;
    engine->maxWidth = maxWidth;
    ++m_reflowedInPlace;
    if (textLength >= LongParagraph) {
        m_analysis = charAttributesOf(*engine);
        m_analysisBlock = block.fragmentIndex();
    } else {
        forgetAnalysis();
    }

    // A paragraph in a table cell has its place relative to the cell.
    const qreal origin =
        QTextDocumentLayout::blockBoundingRect(block).top() - layout->boundingRect().top();
    const qreal top = origin + engine->lines[firstRedone].y.toReal();
    const qreal bottom = !heightKept    ? qreal(INT_MAX)
                         : resumeAt < 0 ? origin + layout->boundingRect().bottom()
                                        : origin + engine->lines[redoneEnd].y.toReal();
    Q_EMIT update(QRectF(0, top, qreal(INT_MAX), bottom - top));
    return true;
}
