#pragma once

#include "platform/control/ShiftedTextLayout.h"

class QTextBlock;

// The editor view's document layout, built on Qt's own, with room for raised and lowered text.
// Two more things it does differently:
// - Qt lays a paragraph out again from its first line on every change, so typing in a paragraph
//   of a hundred thousand characters shapes all of them per keystroke. For an edit inside one
//   long paragraph this layout keeps the lines before the edit, breaks lines again from the one
//   before the edit until the breaks meet the old ones, and moves the rest; every case it cannot
//   prove safe goes to Qt's layout.
// - Qt lays a changed stretch out whole before the change returns. A large change (a paste of a
//   thousand pages) is laid out in the background instead, like a newly loaded document.
class IncrementalDocumentLayout : public ShiftedTextLayout
{
    Q_OBJECT
public:
    explicit IncrementalDocumentLayout(QTextDocument* document);

    // Paragraphs shorter than this are always laid out whole: that is fast and exact.
    static constexpr int LongParagraph = 2000;

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
    qsizetype analysesCarriedOver() const { return m_analysesCarriedOver; }

Q_SIGNALS:
    // A lazy layout has reached the document's end.
    void layoutCaughtUp();

protected:
    void documentChanged(int from, int oldLength, int length) override;
    void timerEvent(QTimerEvent* event) override;

private:
    bool reflowInPlace(const QTextBlock& block, int from, int oldLength, int length);
    void placeParagraphsFrom(const QTextBlock& block);
    void noteLayoutProgress();
    void forgetAnalysis();
    int m_blockCount = 0;
    bool m_inBackground = false; // laying out a large change
    bool m_layingOut = false;    // any lazy layout under way
    qsizetype m_reflowedInPlace = 0;
    qsizetype m_analysesCarriedOver = 0;
    // The break analysis of the paragraph last laid out in place, one byte per character.
    QByteArray m_analysis;
    int m_analysisBlock = -1;
};
