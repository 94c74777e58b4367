#pragma once

#include "platform/control/ListMarkers.h"

#include <QtGui/private/qtextdocumentlayout_p.h>

class QTextBlock;

// A document layout that gives raised and lowered text room. Qt stacks lines by the heights of
// their fonts alone: text moved off the baseline is cut off at the top of the view or drawn over
// the neighbouring line, and the underline of a line that holds lowered text is drawn below the
// line, where the next line's painting covers it. Here each line that holds such text grows by
// as much as the text reaches beyond it, above or below; the lines and paragraphs after it move
// down. It also draws the numbers of numbered paragraphs (ListMarkers). The layout is for one long
// page (the editor's, and the one printing cuts into pages).
class ShiftedTextLayout : public QTextDocumentLayout
{
    Q_OBJECT
public:
    explicit ShiftedTextLayout(QTextDocument* document);

    // Lays the whole document out now, with the room raised and lowered text needs (Qt's own
    // call for this lays out without telling the layout).
    void layOutWholeDocument();

    // Whether the paragraph holds text raised or lowered from the baseline.
    static bool holdsShiftedText(const QTextBlock& block);

    void draw(QPainter* painter, const PaintContext& context) override;

    // The number a numbered paragraph shows in front of it (empty for any other paragraph).
    QString listNumberOf(const QTextBlock& block) { return m_listMarkers.numberOf(block); }

protected:
    void documentChanged(int from, int oldLength, int length) override;
    void timerEvent(QTimerEvent* event) override;

    // Gives room in the paragraphs that a change laid out again (`laidOutAnew`: the whole
    // document) and in those the layout has reached since the last call.
    void makeRoomAfterChange(int from, int length, bool laidOutAnew);
    void makeRoomInNewlyLaidOut();
    // Notes the lists of the changed paragraphs for drawing their numbers.
    void noteListChange(int from, int length)
    {
        m_listMarkers.noteChange(*document(), from, length);
    }

    // Tells Qt's layout of a change, as its own documentChanged() does. Qt keeps the document
    // positions of points it can resume laying out from; a change laid out in place (see below)
    // leaves those after it behind by the text inserted since. Before Qt lays out again, the
    // stretch from the first such change is laid out again with it, which puts them right.
    void layOutWithQt(int from, int oldLength, int length);
    // Whether a change of `delta` characters in paragraph `block` may be laid out in place,
    // moving nothing. Qt finds the paragraph at a height by the nearest resume point above it:
    // one that trails its text is harmless (the lookup starts a little early), one that leads it
    // would skip a paragraph. Insertions only make points trail; a removal is taken only where it
    // cannot make any point lead: in the one paragraph all changes since Qt last laid out were
    // in, and no more than they inserted.
    bool mayLayOutInPlace(int block, int delta) const;
    // Notes a change that was laid out in its paragraph alone, which kept its height, so that
    // nothing else moved and Qt was not told.
    void noteLaidOutInPlace(int from, int block, int delta);

    // Grows the lines of the laid-out paragraph that need it; true when any line changed.
    bool growLines(const QTextBlock& block) const;

private:
    // Grows the paragraphs from `block` up to `end`, noting the first one that changed.
    void growParagraphs(QTextBlock block, const QTextBlock& end, QTextBlock& firstGrown) const;
    // Moves the paragraphs after `grown` to follow its new height, or, given none, those after
    // paragraphs grown while a lazy layout was under way, once it has ended.
    void moveParagraphsAfter(const QTextBlock& grown);

    ListMarkers m_listMarkers;
    int m_checkedBlocks = 0; // the paragraphs before this one have their room
    int m_blockCount = 0;
    bool m_moveWaits = false; // paragraphs grew during a lazy layout
    int m_inPlaceFrom = -1;   // the first change laid out in place since Qt last laid out
    int m_inPlaceShift = 0;   // the characters those changes inserted, less those they removed
    int m_inPlaceBlock = -1;  // the paragraph of those changes, while they are all in one
};
