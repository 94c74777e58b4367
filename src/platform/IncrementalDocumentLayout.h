#pragma once

#include <QtGui/private/qtextdocumentlayout_p.h>

class QTextBlock;

// The editor view's document layout. Qt's layout lays a paragraph out again from its first line on
// every change, so typing in a paragraph of a hundred thousand characters shapes all of them per
// keystroke. For an edit inside one long paragraph this layout keeps the lines before the edit,
// breaks lines again from the one before the edit until the breaks meet the old ones, and shifts
// the rest; everything else, and every case it cannot prove safe, goes to Qt's layout.
class IncrementalDocumentLayout : public QTextDocumentLayout
{
    Q_OBJECT
public:
    explicit IncrementalDocumentLayout(QTextDocument* document);

    // Paragraphs shorter than this are always laid out whole: that is fast and exact.
    static constexpr int LongParagraph = 2000;

    // How many changes were laid out in place so far, for tests and diagnostics.
    qsizetype reflowedInPlace() const { return m_reflowedInPlace; }

protected:
    void documentChanged(int from, int oldLength, int length) override;

private:
    bool reflowInPlace(const QTextBlock& block, int from, int oldLength, int length);
    void placeParagraphsFrom(const QTextBlock& block);
    int m_blockCount = 0;
    qsizetype m_reflowedInPlace = 0;
};
