#pragma once

#include "platform/control/ShiftedTextLayout.h"

#include <QElapsedTimer>

class QTextBlock;
class QTextFrame;

// The editor view's document layout, built on Qt's own, with room for raised and lowered text.
// Three more things it does differently:
// - Qt moves every paragraph below a change to its new place, even when the change did not alter
//   the height of its paragraph (most keystrokes): on a thousand pages that is most of the time a
//   keystroke takes. Here a paragraph that keeps its height is laid out alone and nothing moves.
// - Qt lays a paragraph out again from its first line on every change, so typing in a paragraph
//   of a hundred thousand characters shapes all of them per keystroke. For an edit inside one
//   long paragraph this layout keeps the lines before the edit, breaks lines again from the one
//   before the edit until the breaks meet the old ones, and moves the rest; every case it cannot
//   prove safe goes to Qt's layout.
// - Qt lays a changed stretch out whole before the change returns. A large change (a paste of a
//   thousand pages) is laid out in the background instead, like a newly loaded document.
// - The background layout of a newly loaded document yields to typing: while keys come in
//   quick succession it waits, so a keystroke is not followed by a step of it before the next.
class IncrementalDocumentLayout : public ShiftedTextLayout
{
    Q_OBJECT
public:
    explicit IncrementalDocumentLayout(QTextDocument* document);

    // Paragraphs from this length on keep their lines before an edit.
    static constexpr int LongParagraph = 2000;

    // The background layout waits until the document has been left unchanged this long.
    static constexpr int TypingPauseMs = 60;

    // A change this large is laid out in the background, from the document's start, as a newly
    // loaded document is, instead of all at once before the change returns.
    static constexpr int LargeChange = 200000;

    // Whether the paragraph has been laid out.
    static bool isLaidOut(const QTextBlock& block);
    // Whether the paragraph is not laid out yet but a lazy layout under way will reach it.
    static bool waitsForLayout(const QTextBlock& block);
    // Lays out the document down to the paragraph, whatever layout the document has.
    static void ensureLaidOut(const QTextBlock& block);

    // While a large change is laid out in the background, the place of a paragraph not reached
    // yet is given as the end of what is laid out, instead of laying out everything above it
    // first: a blinking caret or a selection far down does not stop the window.
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    // How many changes were laid out in place so far, and for how many of them the paragraph's
    // break analysis was carried over from before the change; for tests and diagnostics.
    qsizetype reflowedInPlace() const { return m_reflowedInPlace; }
    // How many changes kept their paragraph's height and so moved nothing else.
    qsizetype changesThatMovedNothing() const { return m_movedNothing; }
    qsizetype analysesCarriedOver() const { return m_analysesCarriedOver; }

Q_SIGNALS:
    // A lazy layout has reached the document's end.
    void layoutCaughtUp();

protected:
    void documentChanged(int from, int oldLength, int length) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // Lays out the paragraph holding a change itself, where it can; false leaves it to Qt.
    bool layOutInParagraph(const QTextBlock& block, int from, int oldLength, int length);
    // Whether a change at `from` that keeps the paragraph's height keeps everything else in
    // place: the paragraph lies in the document's flow or in a table whose columns it cannot
    // widen, and the change cannot alter how Qt places it beside a neighbouring table.
    bool keepsPlaceWhenEdited(const QTextBlock& block, int from) const;
    static bool holdsTextInFixedColumns(QTextFrame* frame, const QTextBlock& block);
    // The frame the paragraph lies in: the document's own, or the table of its cell.
    static QTextFrame* frameOf(const QTextBlock& block);
    // Breaks the changed paragraph's lines again from the one before the change; `heightKept`
    // tells whether the paragraph's height came out as before.
    bool reflowInPlace(const QTextBlock& block, int from, int oldLength, int length,
                       bool& heightKept);
    void placeParagraphsFrom(const QTextBlock& block);
    // Lays the whole document out again, the first screen now and the rest in the background.
    void layOutAnewInBackground();
    void noteLayoutProgress();
    void forgetAnalysis();
    int m_blockCount = 0;
    QElapsedTimer m_sinceEdit;   // since the last small change: typing
    bool m_inBackground = false; // laying out a large change
    bool m_layingOut = false;    // any lazy layout under way
    qsizetype m_reflowedInPlace = 0;
    qsizetype m_movedNothing = 0;
    qsizetype m_analysesCarriedOver = 0;
    // The break analysis of the paragraph last laid out in place, one byte per character.
    QByteArray m_analysis;
    int m_analysisBlock = -1;
};
