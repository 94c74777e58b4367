// The numbers of numbered paragraphs as the editor and printing draw them.

#include "platform/control/RichTextBox.h"
#include "platform/control/RichTextView.h"
#include "platform/control/ShiftedTextLayout.h"
#include "platform/core/FileIO.h"
#include "platform/document/ListNumbering.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>
#include <QWidget>

#include <gtest/gtest.h>

namespace
{

QByteArray wordLists()
{
    return fileio::readWholeFile(QStringLiteral(WORDLARK_TEST_DATA "/rtf/census/word_lists.rtf"));
}

QTextBlock blockWith(const QTextDocument& document, const QString& text)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        if (block.text() == text)
            return block;
    ADD_FAILURE() << "no paragraph " << text.toStdString();
    return QTextBlock();
}

// How far to the left of the paragraph's first line dark pixels reach on that line (0: none), in
// an image of the document drawn with `origin` as the document's top left.
qreal inkBeforeText(const QImage& image, QAbstractTextDocumentLayout& layout,
                    const QTextBlock& block, QPointF origin)
{
    const QTextLine line = block.layout()->lineAt(0);
    const QRectF text =
        line.naturalTextRect().translated(layout.blockBoundingRect(block).topLeft() + origin);
    int leftmost = int(text.left());
    for (int y = std::max(0, int(text.top())); y < std::min(image.height(), int(text.bottom()));
         ++y)
        for (int x = 0; x < int(text.left()) - 1 && x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                leftmost = std::min(leftmost, x);
    return text.left() - leftmost;
}

qreal widthOf(const QString& text, const QTextBlock& block)
{
    return QFontMetricsF(QTextCursor(block).charFormat().font()).horizontalAdvance(text);
}

} // namespace

TEST(ListMarkers, TheEditorShowsStartsOutlineNumbersAndWholeLongNumbers)
{
    QWidget window;
    window.resize(700, 600);
    auto* box = new RichTextBox(&window);
    box->setWidth(10000);
    box->setHeight(8500);
    box->setTextRTF(wordLists());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTextDocument& document = *box->document();
    auto* layout = dynamic_cast<ShiftedTextLayout*>(document.documentLayout());
    ASSERT_TRUE(layout);

    // Starts other than 1, the numbers of the levels above, and levels that restart under a
    // new item of the level above.
    const std::pair<const char*, const char*> shown[] = {{"Payment is due monthly.", "1."},
                                                         {"by transfer", "a)"},
                                                         {"signed", "i."},
                                                         {"Late fees apply.", "2."},
                                                         {"Continued list.", "3."},
                                                         {"Heading three", "Article III:"},
                                                         {"Heading four", "Article IV:"},
                                                         {"Restarted at seven", "7."},
                                                         {"Eight", "8."},
                                                         {"Outline one", "1."},
                                                         {"Outline one one", "1.1."},
                                                         {"Old letter two", "B."},
                                                         {"A bullet", ""},
                                                         {"Terms", ""}};
    for (const auto& [text, number] : shown)
        EXPECT_EQ(layout->listNumberOf(blockWith(document, QString::fromUtf8(text))),
                  QString::fromUtf8(number))
            << text;

    // Every number is drawn whole inside the window, in front of its paragraph.
    QImage shot(box->view()->viewport()->size(), QImage::Format_RGB32);
    box->view()->viewport()->render(&shot);
    const QPointF origin(-box->view()->horizontalScrollBar()->value(),
                         -box->view()->verticalScrollBar()->value());
    for (const char* text : {"Heading three", "Restarted at seven", "Outline one one"}) {
        const QTextBlock block = blockWith(document, QString::fromUtf8(text));
        const qreal width = widthOf(layout->listNumberOf(block), block);
        const qreal ink = inkBeforeText(shot, *layout, block, origin);
        EXPECT_GT(ink, width * 0.9) << text;
        EXPECT_LT(ink, width * 1.1 + 2 * widthOf(QStringLiteral(" "), block)) << text;
    }
    // A paragraph outside lists has nothing in front of it.
    EXPECT_EQ(inkBeforeText(shot, *layout, blockWith(document, QStringLiteral("Terms")), origin),
              0);

    // A new item continues the numbers; removing an item renumbers the rest.
    QTextCursor cursor(blockWith(document, QStringLiteral("Eight")));
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("Nine"));
    EXPECT_EQ(layout->listNumberOf(blockWith(document, QStringLiteral("Nine"))), "9.");
    QTextCursor first(blockWith(document, QStringLiteral("Restarted at seven")));
    first.select(QTextCursor::BlockUnderCursor);
    first.removeSelectedText();
    EXPECT_EQ(layout->listNumberOf(blockWith(document, QStringLiteral("Nine"))), "8.");

    // Typing, before the lists or in an item, keeps every number where it belongs; taking an item
    // out of its list renumbers the rest.
    QTextCursor(document.begin()).insertText(QStringLiteral("Typed "));
    QTextCursor(blockWith(document, QStringLiteral("Nine"))).insertText(QStringLiteral("Still "));
    EXPECT_EQ(layout->listNumberOf(blockWith(document, QStringLiteral("Still Nine"))), "8.");
    EXPECT_EQ(layout->listNumberOf(blockWith(document, QStringLiteral("Eight"))), "7.");
    const QTextBlock eight = blockWith(document, QStringLiteral("Eight"));
    eight.textList()->remove(eight);
    EXPECT_EQ(layout->listNumberOf(blockWith(document, QStringLiteral("Still Nine"))), "7.");
}

TEST(ListMarkers, NumbersInTableCellsAndOnPrintedPagesAreDrawn)
{
    // As printing does: the document's own copy with a layout of its own, drawn on a page.
    QTextDocument document;
    auto* layout = new ShiftedTextLayout(&document);
    document.setDocumentLayout(layout);
    QTextCursor cursor(&document);
    QTextCharFormat text;
    text.setFontPointSize(12);
    cursor.insertText(QStringLiteral("Heading"), text);
    QTextTable* table = cursor.insertTable(1, 2);
    cursor = table->cellAt(0, 1).firstCursorPosition();
    QTextListFormat numbered;
    docformat::setListNumberStyle(numbered, QTextListFormat::ListUpperRoman);
    numbered.setProperty(docformat::ListStart, 4);
    numbered.setProperty(docformat::ListLevelText, QStringLiteral("Part %1:"));
    numbered.setProperty(docformat::ListLevel, 0);
    numbered.setIndent(3); // room for the wide number
    cursor.insertText(QStringLiteral("in a cell"), text);
    cursor.createList(numbered);
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("next"), text);
    document.setTextWidth(600);
    layout->layOutWholeDocument();

    const QTextBlock inCell = blockWith(document, QStringLiteral("in a cell"));
    EXPECT_EQ(layout->listNumberOf(inCell), QStringLiteral("Part IV:"));
    EXPECT_EQ(layout->listNumberOf(blockWith(document, QStringLiteral("next"))),
              QStringLiteral("Part V:"));

    QImage page(600, 300, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(0, 0, 600, 300);
    layout->draw(&painter, context);
    painter.end();
    const qreal width = widthOf(QStringLiteral("Part IV:"), inCell);
    EXPECT_GT(inkBeforeText(page, *layout, inCell, QPointF()), width * 0.9);
    // Only once: Qt draws nothing of its own for a numbered list.
    EXPECT_LT(inkBeforeText(page, *layout, inCell, QPointF()),
              width * 1.1 + 2 * widthOf(QStringLiteral(" "), inCell));
}
