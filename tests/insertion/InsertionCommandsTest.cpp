#include "insertion/frmDateTime.h"
#include "platform/control/RichTextBox.h"
#include "platform/control/RichTextView.h"
#include "platform/dialogs/TwipsGeometry.h"
#include "platform/rtf/Rtf.h"
#include "shell/frmRTBEditor.h"
#include "shell/modForm.h"
#include "support/ScriptedDialogHost.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

struct Editor {
    frmRTBEditor window;
    Editor()
    {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        frmDateTime::clock() = [] { return QDateTime(QDate(2024, 3, 5), QTime(21, 7, 5)); };
        frmDateTime::locale() = [] { return DateTimeLocale(); };
    }
    ~Editor()
    {
        frmDateTime::clock() = [] { return QDateTime::currentDateTime(); };
        frmDateTime::locale() = [] { return DateTimeLocale::fromLocale(QLocale()); };
    }
    RichTextBox& editor() { return *window.rtbEditor; }
};

// Runs `interact` on the Date and Time dialog once it is shown modally.
void withDialog(std::function<void(frmDateTime&)> interact)
{
    QTimer::singleShot(0, [interact] {
        auto* dialog = qobject_cast<frmDateTime*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        interact(*dialog);
    });
}

QStringList temporaryPictures()
{
    return QDir(QDir::tempPath()).entryList({QStringLiteral("*_temppic.bmp")}, QDir::Files);
}

int pictureCount(const QTextDocument& document)
{
    int pictures = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            pictures += it.fragment().charFormat().isImageFormat();
    return pictures;
}

} // namespace

TEST(DateTimeDialog, LaysOutItsControlsAndListsFourteenEntries)
{
    Editor e;
    withDialog([](frmDateTime& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Date and Time"));
        EXPECT_EQ(twipsGeometry(dialog.lstDateTime), QRectF(120, 420, 2835, 2790));
        EXPECT_EQ(twipsGeometry(dialog.cmdOK), QRectF(3120, 420, 1275, 435));
        EXPECT_EQ(twipsGeometry(dialog.cmdCancel), QRectF(3120, 960, 1275, 435));
        EXPECT_EQ(dialog.Label1->text(), QStringLiteral("Available formats:"));
        EXPECT_TRUE(dialog.cmdOK->isDefault());
        EXPECT_EQ(dialog.lstDateTime->count(), 14);
        EXPECT_EQ(dialog.lstDateTime->currentRow(), 0);
        EXPECT_EQ(dialog.lstDateTime->item(0)->text(), QStringLiteral("3/5/2024"));
        EXPECT_EQ(dialog.lstDateTime->item(13)->text(), QStringLiteral("21:07:05"));
        EXPECT_TRUE(IsFormLoaded(QStringLiteral("frmDateTime")));
        dialog.cmdCancel->click();
    });
    e.window.mnuDateTime->trigger();
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmDateTime")));
}

TEST(DateTimeDialog, EnterInsertsTheFirstEntryPaddedWithBlanks)
{
    Editor e;
    e.editor().setSelText(QStringLiteral("Today:"));
    e.window.gblnDocSaved = true;
    withDialog([](frmDateTime& dialog) { QTest::keyClick(&dialog, Qt::Key_Return); });
    e.window.mnuDateTime_Click();
    EXPECT_EQ(e.editor().Text(), QStringLiteral("Today: 3/5/2024 "));
    EXPECT_EQ(e.editor().SelStart(), 16);
    EXPECT_FALSE(e.window.gblnDocSaved);
}

TEST(DateTimeDialog, DoubleClickOnTheLastEntryInsertsTheTime)
{
    Editor e;
    withDialog([](frmDateTime& dialog) {
        QListWidgetItem* last = dialog.lstDateTime->item(13);
        const QRect rect = dialog.lstDateTime->visualItemRect(last);
        dialog.lstDateTime->scrollToItem(last);
        QTest::mouseClick(dialog.lstDateTime->viewport(), Qt::LeftButton, {},
                          dialog.lstDateTime->visualItemRect(last).center());
        QTest::mouseDClick(dialog.lstDateTime->viewport(), Qt::LeftButton, {},
                           dialog.lstDateTime->visualItemRect(last).center());
        (void)rect;
    });
    e.window.mnuDateTime_Click();
    EXPECT_EQ(e.editor().Text(), QStringLiteral(" 21:07:05 "));
}

TEST(DateTimeDialog, CancelChangesNothingAndOkReplacesTheSelectionUndoably)
{
    Editor e;
    e.editor().setSelText(QStringLiteral("the word here"));
    e.window.gblnDocSaved = true;
    const QByteArray snapshot = e.window.rtbSaved->TextRTF();
    withDialog([](frmDateTime& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    e.window.mnuDateTime_Click();
    EXPECT_EQ(e.editor().Text(), QStringLiteral("the word here"));
    EXPECT_TRUE(e.window.gblnDocSaved);
    EXPECT_EQ(e.window.rtbSaved->TextRTF(), snapshot);

    e.editor().setSelStart(4);
    e.editor().setSelLength(4);
    withDialog([](frmDateTime& dialog) {
        dialog.lstDateTime->setCurrentRow(5);
        dialog.cmdOK->click();
    });
    e.window.mnuDateTime_Click();
    EXPECT_EQ(e.editor().Text(), QStringLiteral("the  2024-03-05  here"));
    e.window.mnuUndo_Click();
    EXPECT_EQ(e.editor().Text(), QStringLiteral("the word here"));
}

TEST(PictureInsertion, OpenAndSaveAsKeepTheirOwnTitlesAfterIt)
{
    Editor e;
    ScriptedDialogHost host;
    host.answerOpen(QString());
    host.answerOpen(QString());
    host.answerSave(QString());
    host.answerOpen(QString());
    e.window.mnuPicture_Click();
    e.window.mnuOpen_Click();
    e.window.mnuSaveAs_Click();
    e.window.mnuPicture_Click();
    ASSERT_EQ(host.requests().size(), 4u);
    EXPECT_EQ(host.requests()[0].title, QStringLiteral("Select Picture"));
    EXPECT_EQ(host.requests()[1].title, QStringLiteral("Open"));
    EXPECT_EQ(host.requests()[2].title, QStringLiteral("Save As"));
    EXPECT_EQ(host.requests()[3].title, QStringLiteral("Select Picture"));
}

TEST(PictureInsertion, CancelWritesNothingAndShowsNothing)
{
    Editor e;
    ScriptedDialogHost host;
    host.answerOpen(QString());
    e.window.mnuPicture_Click();
    EXPECT_EQ(host.requests().size(), 1u);
    EXPECT_EQ(host.last().title, QStringLiteral("Select Picture"));
    EXPECT_EQ(host.last().file.flags, 4100);
    EXPECT_EQ(host.last().file.defaultExt, QStringLiteral("*.bmp"));
    EXPECT_EQ(host.last().file.filter,
              QStringLiteral("Picture Files(*.bmp,*.jpg,*.gif,*.wmf)|*.bmp;*.jpg;*.gif;*.wmf|"
                             "All Files(*.*)|*.*"));
    EXPECT_EQ(e.editor().Text(), QString());
    EXPECT_TRUE(temporaryPictures().isEmpty());
}

TEST(PictureInsertion, AJpegIsEmbeddedAtTheCaretAndTheTemporaryFileIsGone)
{
    Editor e;
    ScriptedDialogHost host;
    QTemporaryDir dir;
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString jpeg = dir.filePath(QStringLiteral("photo.jpg"));
    ASSERT_TRUE(image.save(jpeg, "JPEG"));
    const QStringList before = temporaryPictures();

    e.editor().setSelText(QStringLiteral("ab"));
    e.editor().setSelStart(1);
    host.answerOpen(jpeg);
    e.window.mnuPicture_Click();
    EXPECT_EQ(pictureCount(*e.editor().document()), 1);
    EXPECT_EQ(e.editor().Text().at(1), QChar::ObjectReplacementCharacter);
    EXPECT_EQ(temporaryPictures(), before);
    EXPECT_FALSE(e.window.gblnDocSaved);
    EXPECT_EQ(e.window.picTemp.size(), QSize(40, 30));

    e.window.mnuUndo_Click();
    EXPECT_EQ(pictureCount(*e.editor().document()), 0);
}

TEST(PictureInsertion, AFileThatIsNotAPictureShowsTheErrorReport)
{
    Editor e;
    ScriptedDialogHost host;
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("just words");
    file.close();
    host.answerOpen(text);
    host.answerMessageBox(MsgBoxResult::OK);
    e.window.mnuPicture_Click();
    EXPECT_EQ(host.last().title, QStringLiteral("Select Picture Error"));
    EXPECT_EQ(host.last().style, MsgBoxStyle::Critical);
    EXPECT_TRUE(host.last().text.startsWith(
        QStringLiteral("The following error has occurred:\r\nError # 481 - Invalid picture")));
    EXPECT_EQ(e.editor().Text(), QString());
}

TEST(InsertionInTables, ADateAndAPictureGoIntoTheCellAtTheCaretAndSaveThere)
{
    Editor e;
    ScriptedDialogHost host;
    e.editor().setTextRTF("{\\rtf1\\ansi\\trowd\\cellx2000\\cellx4000\\pard\\intbl left\\cell "
                          "right\\cell\\row\\pard after\\par}");
    auto* table = qobject_cast<QTextTable*>(e.editor().document()->rootFrame()->childFrames()[0]);
    ASSERT_NE(table, nullptr);

    e.editor().setSelStart(table->cellAt(0, 1).lastPosition());
    withDialog([](frmDateTime& dialog) { QTest::keyClick(&dialog, Qt::Key_Return); });
    e.window.mnuDateTime_Click();
    EXPECT_EQ(QTextCursor(table->cellAt(0, 1).firstCursorPosition()).block().text(),
              QStringLiteral("right 3/5/2024 "));

    QTemporaryDir dir;
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::blue);
    const QString png = dir.filePath(QStringLiteral("dot.png"));
    ASSERT_TRUE(image.save(png, "PNG"));
    e.editor().setSelStart(table->cellAt(0, 0).firstPosition());
    host.answerOpen(png);
    e.window.mnuPicture_Click();
    EXPECT_EQ(pictureCount(*e.editor().document()), 1);
    EXPECT_EQ(e.editor().document()->characterAt(table->cellAt(0, 0).firstPosition()),
              QChar::ObjectReplacementCharacter);
    EXPECT_EQ(e.editor().document()->rootFrame()->childFrames().size(), 1);

    // Saved and read back: the picture and the date are in their cells.
    RichTextBox copy;
    copy.setTextRTF(e.editor().TextRTF());
    auto* back = qobject_cast<QTextTable*>(copy.document()->rootFrame()->childFrames().value(0));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(pictureCount(*copy.document()), 1);
    EXPECT_EQ(copy.document()->characterAt(back->cellAt(0, 0).firstPosition()),
              QChar::ObjectReplacementCharacter);
    EXPECT_TRUE(QTextCursor(back->cellAt(0, 1).firstCursorPosition())
                    .block()
                    .text()
                    .startsWith(QStringLiteral("right 3/5/2024")));
}
