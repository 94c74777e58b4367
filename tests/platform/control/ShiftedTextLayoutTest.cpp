#include "platform/control/ShiftedTextLayout.h"
#include "platform/control/DocumentPrinting.h"
#include "platform/control/RichTextBox.h"
#include "platform/control/RichTextView.h"
#include "platform/document/DocumentFormat.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace
{

// An editor control in a window, holding "plain" and a second paragraph "next", 12 points.
struct Editor {
    QWidget window;
    RichTextBox* box;
    Editor() : box(new RichTextBox(&window))
    {
        window.resize(600, 300);
        box->setWidth(8000);
        box->setHeight(4000);
        box->setSelText(QStringLiteral("plain words\nnext"));
        box->setSelStart(0);
        box->setSelLength(16);
        box->setSelFontSize(12);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QTextDocument& document() { return *box->document(); }
    QTextBlock block(int number) { return document().findBlockByNumber(number); }
    QRectF lineRect(int blockNumber)
    {
        const QTextBlock b = block(blockNumber);
        return b.layout()->lineAt(0).rect().translated(b.layout()->position());
    }
    // Moves `length` characters from `start` by `twips`, as Subscript and Superscript do.
    void shift(long start, long length, double twips)
    {
        box->setSelStart(start);
        box->setSelLength(length);
        box->setSelCharOffset(twips);
    }
};

double pixels(double twips)
{
    return twips / 1440.0 * QWidget().logicalDpiY();
}

} // namespace

TEST(ShiftedTextLayout, LinesWithRaisedOrLoweredTextGrowByTheOffset)
{
    Editor e;
    const QRectF plain = e.lineRect(0);
    const qreal nextTop = e.lineRect(1).top();
    const qreal plainBaseline = plain.top() + e.block(0).layout()->lineAt(0).ascent();

    // A quarter of 12 points raised: the line gains 3 points above its text.
    e.shift(6, 5, 60);
    const QRectF raised = e.lineRect(0);
    EXPECT_NEAR(raised.height(), plain.height() + pixels(60), 1.5);
    EXPECT_NEAR(e.block(0).layout()->lineAt(0).ascent() + raised.top() - plainBaseline, pixels(60),
                1.5)
        << "the baseline moves down, the room is above the text";
    EXPECT_NEAR(e.lineRect(1).top() - nextTop, pixels(60), 1.5) << "the next paragraph moves";

    // Lowered instead: the room is below.
    e.shift(6, 5, -60);
    const QRectF lowered = e.lineRect(0);
    EXPECT_NEAR(lowered.height(), plain.height() + pixels(60), 1.5);
    EXPECT_NEAR(e.block(0).layout()->lineAt(0).ascent(), plainBaseline - plain.top(), 0.01);

    // Typing elsewhere in the paragraph keeps the room; taking the offset away gives it back.
    e.box->setSelStart(0);
    e.box->setSelText(QStringLiteral("more "));
    EXPECT_NEAR(e.lineRect(0).height(), plain.height() + pixels(60), 1.5);
    e.shift(11, 5, 0);
    EXPECT_NEAR(e.lineRect(0).height(), plain.height(), 0.01);
    EXPECT_NEAR(e.lineRect(1).top(), nextTop, 0.01);
}

TEST(ShiftedTextLayout, OnlyTheLinesHoldingShiftedTextGrow)
{
    Editor e;
    e.box->setRightMargin(1000); // wraps "plain words" into two lines
    QTextLayout* layout = e.block(0).layout();
    ASSERT_GE(layout->lineCount(), 2);
    const qreal first = layout->lineAt(0).height();
    const qreal second = layout->lineAt(1).height();
    e.shift(layout->lineAt(1).textStart(), 2, -80);
    EXPECT_NEAR(layout->lineAt(0).height(), first, 0.01);
    EXPECT_NEAR(layout->lineAt(1).height(), second + pixels(80), 1.5);
    EXPECT_NEAR(layout->lineAt(1).y(), layout->lineAt(0).y() + first, 1.0);
}

TEST(ShiftedTextLayout, TheUnderlineOfALineWithLoweredTextIsPaintedInTheLine)
{
    Editor e;
    e.box->setSelStart(0);
    e.box->setSelLength(11);
    e.box->setSelUnderline(true);
    e.shift(6, 5, -60);
    e.box->setSelStart(0); // a selection would draw its underline in the highlight's colours
    const QRectF line = e.lineRect(0);
    QImage shot(e.box->view()->viewport()->size(), QImage::Format_RGB32);
    e.box->view()->viewport()->render(&shot);
    const QPointF origin(-e.box->view()->horizontalScrollBar()->value(),
                         -e.box->view()->verticalScrollBar()->value());
    const QRect inView = line.translated(origin).toAlignedRect().intersected(shot.rect());
    const int textWidth = int(e.block(0).layout()->lineAt(0).naturalTextWidth());
    int longest = 0;
    for (int y = inView.top(); y <= inView.bottom(); ++y) {
        int run = 0;
        for (int x = 0; x < shot.width(); ++x) {
            run = qGray(shot.pixel(x, y)) < 128 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    EXPECT_GT(longest, textWidth * 9 / 10) << "an unbroken underline under the whole line";
}

TEST(ShiftedTextLayout, PrintedPagesKeepTheRoomAndCutBetweenLines)
{
    // As for printing: one long page, then cut into pages.
    QTextDocument document;
    auto* layout = new ShiftedTextLayout(&document);
    document.setDocumentLayout(layout);
    QTextCursor cursor(&document);
    QTextCharFormat normal;
    normal.setFontPointSize(12);
    QTextCharFormat raised = normal;
    docformat::setCharOffsetTwips(raised, 120, 12);
    cursor.insertText(QStringLiteral("plain"), normal);
    for (int i = 0; i < 600; ++i) { // more than Qt lays out in one step
        cursor.insertBlock();
        cursor.insertText(QStringLiteral("line "), normal);
        cursor.insertText(QStringLiteral("up"), raised);
    }
    QTextBlockFormat breakBefore;
    breakBefore.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    cursor.insertBlock(breakBefore);
    cursor.insertText(QStringLiteral("new page"), normal);
    document.setTextWidth(400);
    layout->layOutWholeDocument();
    const QList<qreal> starts = documentprinting::pageStarts(document, 300);
    ASSERT_GE(starts.size(), 30);
    const qreal plain = document.firstBlock().layout()->lineAt(0).height();
    for (QTextBlock block = document.firstBlock().next(); block.isValid(); block = block.next()) {
        const QTextLine line = block.layout()->lineAt(0);
        const QRectF rect = line.rect().translated(block.layout()->position());
        if (block.next().isValid()) {
            EXPECT_GT(line.height(), plain + pixels(120) - 2) << block.blockNumber();
        } else {
            EXPECT_EQ(rect.top(), starts.last()) << "the page break before the last paragraph";
        }
        // The line lies wholly on the page whose slice it starts in.
        const auto page = std::upper_bound(starts.begin(), starts.end(), rect.top()) - 1;
        EXPECT_LE(rect.bottom(), *page + 300) << block.blockNumber();
    }
}

TEST(ShiftedTextLayout, ALargeDocumentLaidOutInTheBackgroundEndsWithItsRoom)
{
    Editor e;
    QByteArray rtf = "{\\rtf1\\ansi\\fs24 ";
    for (int i = 0; i < 6000; ++i)
        rtf += "a line of plain words, then {\\up6 raised} ones\\par ";
    rtf += "last}";
    e.box->setTextRTF(rtf);
    auto* layout = static_cast<ShiftedTextLayout*>(e.document().documentLayout());
    ASSERT_TRUE(QTest::qWaitFor([&] { return layout->layoutStatus() == 100; }, 60000));
    const qreal plainLine = QFontMetricsF(e.block(0).charFormat().font()).height();
    // Paragraphs laid out at any time in the background keep their room and follow each other.
    for (int number : {0, 1, 2000, 4000, 5998}) {
        const QTextBlock block = e.block(number);
        const QRectF rect = layout->blockBoundingRect(block);
        EXPECT_GT(block.layout()->lineAt(0).height(), plainLine + pixels(60) - 2) << number;
        EXPECT_NEAR(layout->blockBoundingRect(block.next()).top(), rect.bottom(), 0.5) << number;
    }
}
