// The editor's commands inside and across table cells and on numbered paragraphs.

#include "FormattingFixture.h"

#include "platform/bars/StatusBar.h"
#include "platform/clipboard/ClipboardMemoryBackend.h"
#include "platform/document/ListNumbering.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

namespace
{

const QByteArray TableAndList =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
    "{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}"
    "\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
    "\\pard before\\par"
    "\\trowd\\cellx2000\\cellx4000\\pard\\intbl alpha\\cell beta\\cell\\row"
    "\\trowd\\cellx2000\\cellx4000\\pard\\intbl gamma\\cell delta\\cell\\row"
    "\\pard\\ls1 one\\par\\pard\\ls1 two\\par\\pard after\\par}";

QTextTable* firstTable(QTextDocument& document)
{
    const QList<QTextFrame*> frames = document.rootFrame()->childFrames();
    return frames.isEmpty() ? nullptr : qobject_cast<QTextTable*>(frames.first());
}

QTextBlock blockWith(QTextDocument& document, const QString& text)
{
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
        if (b.text() == text)
            return b;
    return QTextBlock();
}

} // namespace

TEST_F(FormattingTest, CommandsWorkInsideAndAcrossTableCells)
{
    editor().setTextRTF(TableAndList);
    QTextDocument& document = *editor().document();
    QTextTable* table = firstTable(document);
    ASSERT_NE(table, nullptr);

    // Typing in a cell stays in the cell.
    editor().setSelStart(table->cellAt(0, 1).lastPosition());
    QTest::keyClicks(editor().view(), QStringLiteral("X"));
    EXPECT_EQ(blockWith(document, QStringLiteral("betaX")).isValid(), true);
    EXPECT_EQ(QTextCursor(blockWith(document, QStringLiteral("betaX"))).currentTable(), table);

    // Formatting, alignment and bullets inside one cell.
    const QTextTableCell gamma = table->cellAt(1, 0);
    select(gamma.firstPosition(), 5);
    window.ToggleBold();
    EXPECT_EQ(editor().SelBold(), std::optional<bool>(true));
    window.SelectAlignCenter();
    EXPECT_EQ(blockWith(document, QStringLiteral("gamma")).blockFormat().alignment() &
                  Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    window.ToggleBullets();
    EXPECT_EQ(editor().SelBullet(), std::optional<bool>(true));
    window.ToggleBullets();
    EXPECT_EQ(editor().SelBullet(), std::optional<bool>(false));
    EXPECT_EQ(firstTable(document), table);
    EXPECT_EQ(table->rows(), 2);

    // Across cells: Upper Case and italic reach every selected cell; the table stays.
    select(table->cellAt(0, 0).firstPosition(),
           table->cellAt(1, 1).lastPosition() - table->cellAt(0, 0).firstPosition());
    window.mnuUpperCase_Click();
    EXPECT_TRUE(blockWith(document, QStringLiteral("ALPHA")).isValid());
    EXPECT_TRUE(blockWith(document, QStringLiteral("DELTA")).isValid());
    EXPECT_EQ(firstTable(document)->rows(), 2);

    // Copy across cells puts the table part on the clipboard as RTF; inside a cell, the text.
    select(table->cellAt(0, 0).firstPosition(),
           table->cellAt(1, 0).lastPosition() - table->cellAt(0, 0).firstPosition());
    window.mnuCopy_Click();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->data(QStringLiteral("text/rtf")).contains("\\trowd"));
    EXPECT_TRUE(data->data(QStringLiteral("text/rtf")).contains("\\cell"));

    // Paste of those rows after the document's text makes a second table.
    editor().setSelStart(document.characterCount() - 1);
    window.mnuPaste_Click();
    EXPECT_EQ(document.rootFrame()->childFrames().size(), 2);

    // The undo snapshot and Undo keep the table a table.
    table = firstTable(document);
    editor().setSelStart(table->cellAt(1, 1).lastPosition());
    window.TakeUndoSnapshot();
    QTest::keyClicks(editor().view(), QStringLiteral("Z"));
    window.mnuUndo_Click();
    QTextDocument& undone = *editor().document(); // Undo may put another document in place
    table = firstTable(undone);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_FALSE(undone.toPlainText().contains(u'Z'));

    // Lines inside cells count down the table: a later row is a later line.
    EXPECT_GT(editor().GetLineFromChar(table->cellAt(1, 1).firstPosition()),
              editor().GetLineFromChar(table->cellAt(0, 1).firstPosition()));
    EXPECT_GT(editor().GetLineFromChar(table->cellAt(0, 0).firstPosition()),
              editor().GetLineFromChar(0));
}

TEST_F(FormattingTest, BulletsOnNumberedParagraphsAndEnterContinuesLists)
{
    editor().setTextRTF(TableAndList);
    QTextDocument& document = *editor().document();
    QTextBlock one = blockWith(document, QStringLiteral("one"));
    ASSERT_TRUE(one.textList());
    EXPECT_EQ(docformat::listStyleOf(one.textList()->format()), QTextListFormat::ListDecimal);

    // Enter at the end of a numbered item makes the next number.
    editor().setSelStart(blockWith(document, QStringLiteral("two")).position() + 3);
    QTest::keyClick(editor().view(), Qt::Key_Return);
    QTest::keyClicks(editor().view(), QStringLiteral("three"));
    const QTextBlock three = blockWith(document, QStringLiteral("three"));
    ASSERT_TRUE(three.textList());
    EXPECT_EQ(three.textList(), one.textList());
    EXPECT_EQ(three.textList()->itemNumber(three), 2);

    // Bullets on a numbered paragraph: it becomes a bulleted one; a second click removes it.
    editor().setSelStart(one.position() + 1);
    EXPECT_EQ(editor().SelBullet(), std::optional<bool>(false));
    window.ToggleBullets();
    one = blockWith(document, QStringLiteral("one"));
    ASSERT_TRUE(one.textList());
    EXPECT_EQ(one.textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(editor().SelBullet(), std::optional<bool>(true));
    window.ToggleBullets();
    EXPECT_FALSE(blockWith(document, QStringLiteral("one")).textList());
    // The rest of the numbered list keeps its numbers.
    EXPECT_EQ(blockWith(document, QStringLiteral("two"))
                  .textList()
                  ->itemNumber(blockWith(document, QStringLiteral("two"))),
              0);
}

TEST_F(FormattingTest, SelectAllFormatsEveryCellAndTheStatusBarCountsInsideCells)
{
    editor().setTextRTF(TableAndList);
    QTextDocument& document = *editor().document();

    // Select All, then Bold and Upper Case: every cell and paragraph, the table kept.
    window.mnuSelectAll_Click();
    window.ToggleBold();
    window.mnuUpperCase_Click();
    for (const char* text : {"BEFORE", "ALPHA", "DELTA", "ONE", "AFTER"}) {
        const QTextBlock block = blockWith(document, QString::fromLatin1(text));
        ASSERT_TRUE(block.isValid()) << text;
        EXPECT_GE(QTextCursor(block).charFormat().fontWeight(), QFont::Bold) << text;
        QTextCursor inside(block);
        inside.movePosition(QTextCursor::NextCharacter);
        EXPECT_GE(inside.charFormat().fontWeight(), QFont::Bold) << text;
    }
    QTextTable* table = firstTable(document);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->columns(), 2);
    EXPECT_TRUE(blockWith(document, QStringLiteral("ONE")).textList());

    // The caret in a cell: the line counts down the table, the position from the cell's start.
    const QTextTableCell delta = table->cellAt(1, 1);
    editor().setSelStart(delta.firstPosition() + 2);
    const QString status = window.sbrMain->Panels(QStringLiteral("MainText")).Text();
    EXPECT_EQ(status, QStringLiteral("Line %1     Pos 3")
                          .arg(editor().GetLineFromChar(delta.firstPosition()) + 1));
    editor().setSelStart(table->cellAt(0, 0).firstPosition());
    const QString first = window.sbrMain->Panels(QStringLiteral("MainText")).Text();
    EXPECT_TRUE(first.endsWith(QStringLiteral("Pos 1"))) << first.toStdString();
    EXPECT_NE(first, status);
}

TEST_F(FormattingTest, CopiedNumberedParagraphsAreAnOrderedListInHtml)
{
    editor().setTextRTF(TableAndList);
    QTextDocument& document = *editor().document();
    const QTextBlock one = blockWith(document, QStringLiteral("one"));
    select(one.position(), 7);
    ClipboardMemoryBackend memory;
    ClipboardBackend* previous = setClipboardBackend(&memory);
    window.mnuCopy_Click();
    const QString html =
        QString::fromUtf8(memory.data(registerFormatName(QStringLiteral("text/html"))));
    setClipboardBackend(previous);
    EXPECT_TRUE(html.contains(QStringLiteral("<ol"))) << html.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("two")));
    // The document itself keeps its lists as they were.
    EXPECT_TRUE(docformat::isNumberedList(one.textList()->format()));
}
