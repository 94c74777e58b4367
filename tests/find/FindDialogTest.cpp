#include "find/frmFind.h"
#include "find/modFind.h"
#include "platform/control/RichTextBox.h"
#include "platform/control/RichTextView.h"
#include "platform/core/Units.h"
#include "platform/dialogs/DialogHost.h"
#include "platform/rtf/Rtf.h"
#include "shell/frmRTBEditor.h"
#include "shell/modForm.h"
#include "support/ScriptedDialogHost.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <gtest/gtest.h>

namespace
{

using Kind = ScriptedDialogHost::Kind;

const QString Prompt = QStringLiteral(
    "Item was not found between current cursor location and the end of the document. "
    "Do you want to restart the search at the top of the document?");

// A shown main window with a fresh search state; any dialog left open is unloaded afterwards.
class FindTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        glngFindStart = 0;
        gstrFindWhat.clear();
        gblnFound = false;
        gintFindResponse = 0;
        gblnReplaceAll = false;
        gblnWholeWord = false;
        gblnMatchCase = false;
        gstrReplaceWith.clear();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override
    {
        if (frmFind* dialog = frmFind::instance(false))
            dialog->Unload();
        flushDeletes();
        EXPECT_TRUE(host.scriptDone()) << "an answer the test expected was not asked for";
    }

    static void flushDeletes()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    RichTextBox& editor() { return *window.rtbEditor; }
    void setDocument(const QString& text, long caret = 0)
    {
        editor().document()->setPlainText(text);
        editor().setSelStart(caret);
    }
    QString text() { return editor().Text(); }

    frmFind* openDialog(bool replace)
    {
        replace ? window.mnuReplace_Click() : window.mnuFind_Click();
        frmFind* dialog = frmFind::instance(false);
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }
    // Types the search (and replacement) text as a user would.
    frmFind* openDialogWith(bool replace, const QString& findWhat, const QString& replaceWith = {})
    {
        frmFind* dialog = openDialog(replace);
        dialog->txtFindWhat->selectAll();
        typeInto(dialog->txtFindWhat, findWhat);
        if (replace) {
            dialog->txtReplaceWith->selectAll();
            typeInto(dialog->txtReplaceWith, replaceWith);
        }
        return dialog;
    }
    // Real key presses; letters outside ASCII go as key events carrying their text.
    static void typeInto(QLineEdit* box, const QString& text)
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    ScriptedDialogHost host;
    frmRTBEditor window;
};

} // namespace

TEST_F(FindTest, SearchesFromTheLastMatchAndPromptsAtTheEnd)
{
    setDocument(QStringLiteral("aaaa"));
    gstrFindWhat = QStringLiteral("aa");
    SearchDocument();
    EXPECT_TRUE(gblnFound);
    EXPECT_EQ(editor().SelStart(), 0);
    EXPECT_EQ(editor().SelLength(), 2);
    EXPECT_EQ(glngFindStart, 2);
    SearchDocument();
    EXPECT_EQ(editor().SelStart(), 2);
    EXPECT_EQ(glngFindStart, 4);

    host.answerMessageBox(MsgBoxResult::No);
    SearchDocument();
    EXPECT_FALSE(gblnFound);
    EXPECT_EQ(gintFindResponse, MsgBoxResult::No);
    EXPECT_EQ(glngFindStart, 4) << "a failed search leaves the start where it was";
    ASSERT_EQ(host.requests().size(), 1u);
    EXPECT_EQ(host.last().text, Prompt);
    EXPECT_EQ(host.last().style, 36);
    EXPECT_EQ(host.last().title, QStringLiteral("Find"));
    EXPECT_EQ(RestartPrompt(), Prompt);
}

TEST_F(FindTest, OptionSumIsTwoForWholeWordAndFourForMatchCase)
{
    EXPECT_EQ(SearchOptions(), 0);
    gblnWholeWord = true;
    gblnMatchCase = true;
    EXPECT_EQ(SearchOptions(), 6);

    // Both options at work: only the whole, same-case word is found.
    setDocument(QStringLiteral("Words word sword word"));
    gstrFindWhat = QStringLiteral("word");
    SearchDocument();
    EXPECT_EQ(editor().SelStart(), 6);
    SearchDocument();
    EXPECT_EQ(editor().SelStart(), 17);
}

TEST_F(FindTest, ReplaceAllSearchesSilentlyAndAStartPastTheEndIsNoMatch)
{
    setDocument(QStringLiteral("abc"));
    gstrFindWhat = QStringLiteral("abc");
    glngFindStart = 2;
    gblnReplaceAll = true;
    gintFindResponse = 6;
    SearchDocument();
    EXPECT_FALSE(gblnFound);
    EXPECT_EQ(gintFindResponse, MsgBoxResult::No);
    EXPECT_TRUE(host.requests().empty());

    // The document shrank since the last search: the start lies beyond its end.
    gblnReplaceAll = false;
    glngFindStart = 40;
    host.answerMessageBox(MsgBoxResult::Yes);
    window.mnuFindNext_Click();
    EXPECT_TRUE(gblnFound);
    EXPECT_EQ(editor().SelStart(), 0);
    EXPECT_EQ(editor().SelLength(), 3);
    EXPECT_EQ(glngFindStart, 3);
}

TEST_F(FindTest, FindNextRestartsOnYesAndAsksAgainWhileNothingMatches)
{
    setDocument(QStringLiteral("one two"));
    gstrFindWhat = QStringLiteral("one");
    glngFindStart = 3;
    host.answerMessageBox(MsgBoxResult::Yes);
    window.mnuFindNext->trigger();
    EXPECT_TRUE(gblnFound);
    EXPECT_EQ(editor().SelStart(), 0);
    EXPECT_EQ(editor().SelLength(), 3);

    editor().setSelStart(5);
    gstrFindWhat = QStringLiteral("three");
    host.answerMessageBox(MsgBoxResult::Yes);
    host.answerMessageBox(MsgBoxResult::Yes);
    host.answerMessageBox(MsgBoxResult::No);
    window.mnuFindNext_Click();
    EXPECT_EQ(host.count(Kind::MessageBox), 4);
    EXPECT_FALSE(gblnFound);
    EXPECT_EQ(editor().SelStart(), 5) << "nothing new is selected";
    EXPECT_EQ(glngFindStart, 0);
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmFind"))) << "Find Next leaves the dialog alone";
}

TEST_F(FindTest, FindNextBeforeAnySearchOpensTheFindDialog)
{
    setDocument(QStringLiteral("hello"), 2);
    window.mnuFindNext_Click();
    ASSERT_TRUE(IsFormLoaded(QStringLiteral("frmFind")));
    EXPECT_EQ(frmFind::instance(false)->windowTitle(), QStringLiteral("Find"));
    EXPECT_EQ(glngFindStart, 2);
    EXPECT_TRUE(host.requests().empty());
}

TEST_F(FindTest, DialogHasItsDesignControlsAndStates)
{
    frmFind* dialog = openDialog(true);
    EXPECT_EQ(dialog->objectName(), QStringLiteral("frmFind"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Replace"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(dialog->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(dialog->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(dialog->windowFlags() & Qt::WindowType_Mask, Qt::Tool) << "not in the task bar";
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << "fixed border";
    EXPECT_FLOAT_EQ(dialog->ClientHeight(), 2190);
    EXPECT_EQ(dialog->width(), units::twipsToPixels(6315));

    struct Expected {
        QWidget* control;
        const char* name;
        const char* caption;
        float left, top, width, height;
    };
    const Expected controls[] = {
        {dialog->lblfindwhat, "lblfindwhat", "Find what:", 120, 120, 735, 195},
        {dialog->txtFindWhat, "txtFindWhat", "", 1200, 120, 3615, 285},
        {dialog->lblReplaceWith, "lblReplaceWith", "Replace with", 120, 600, 930, 195},
        {dialog->txtReplaceWith, "txtReplaceWith", "", 1200, 540, 3615, 285},
        {dialog->chkWholeWord, "chkWholeWord", "Match Whole Word Only", 120, 960, 2415, 255},
        {dialog->chkMatchCase, "chkMatchCase", "Match Case", 120, 1320, 2415, 255},
        {dialog->cmdFindNext, "cmdFindNext", "Find Next", 4980, 120, 1215, 375},
        {dialog->cmdReplace, "cmdReplace", "&Replace", 4980, 600, 1215, 375},
        {dialog->cmdReplaceAll, "cmdReplaceAll", "Replace &All", 4980, 1080, 1215, 375},
        {dialog->cmdCancel, "cmdCancel", "Cancel", 4980, 1560, 1215, 375},
    };
    for (const Expected& e : controls) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.control->objectName(), QString::fromLatin1(e.name));
        EXPECT_EQ(dialog->findChild<QWidget*>(QString::fromLatin1(e.name)), e.control);
        QString caption;
        if (auto* label = qobject_cast<QLabel*>(e.control))
            caption = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(e.control))
            caption = button->text();
        EXPECT_EQ(caption, QString::fromUtf8(e.caption));
        EXPECT_FLOAT_EQ(frmFind::Left(e.control), e.left);
        EXPECT_FLOAT_EQ(frmFind::Top(e.control), e.top);
        EXPECT_FLOAT_EQ(frmFind::Width(e.control), e.width);
        EXPECT_FLOAT_EQ(frmFind::Height(e.control), e.height);
        const QRect drawn = e.control->geometry();
        EXPECT_EQ(drawn.topLeft(),
                  QPoint(units::twipsToPixels(e.left), units::twipsToPixels(e.top)));
        EXPECT_EQ(drawn.height(), units::twipsToPixels(e.height));
        if (qobject_cast<QLabel*>(e.control)) {
            // A label grows to show its whole caption in this desktop's font.
            EXPECT_GE(drawn.width(), units::twipsToPixels(e.width));
            EXPECT_GE(drawn.width(), e.control->sizeHint().width());
        } else {
            EXPECT_EQ(drawn.width(), units::twipsToPixels(e.width));
        }
        EXPECT_TRUE(e.control->isVisible());
    }
    // Tab order among the controls that take the focus.
    QList<QWidget*> chain;
    QWidget* next = dialog->txtFindWhat;
    for (int i = 0; i < 7; ++i) {
        chain << next;
        next = next->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus)
            next = next->nextInFocusChain();
    }
    EXPECT_EQ(chain,
              (QList<QWidget*>{dialog->txtFindWhat, dialog->txtReplaceWith, dialog->chkWholeWord,
                               dialog->chkMatchCase, dialog->cmdFindNext, dialog->cmdReplace,
                               dialog->cmdReplaceAll}));
    EXPECT_FALSE(dialog->cmdFindNext->isEnabled());
    EXPECT_FALSE(dialog->cmdReplace->isEnabled());
    EXPECT_FALSE(dialog->cmdReplaceAll->isEnabled());
    EXPECT_TRUE(dialog->cmdCancel->isEnabled());
    EXPECT_TRUE(dialog->cmdFindNext->isDefault());
    EXPECT_TRUE(dialog->m_bActivated);

    // Esc cancels: the dialog unloads at once and is gone after the event loop turns.
    QPointer<frmFind> guard(dialog);
    QTest::keyClick(dialog->txtFindWhat, Qt::Key_Escape);
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmFind")));
    EXPECT_EQ(frmFind::instance(false), nullptr);
    flushDeletes();
    EXPECT_TRUE(guard.isNull());
}

TEST_F(FindTest, FindModeHidesTheReplaceRowAndIs870TwipsShorter)
{
    frmFind* replace = openDialog(true);
    const float replaceHeight = replace->FormHeight();
    click(replace->cmdCancel);
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmFind")));

    frmFind* find = openDialog(false);
    EXPECT_EQ(find->windowTitle(), QStringLiteral("Find"));
    EXPECT_FALSE(find->lblReplaceWith->isVisible());
    EXPECT_FALSE(find->txtReplaceWith->isVisible());
    EXPECT_FALSE(find->cmdReplace->isVisible());
    EXPECT_FALSE(find->cmdReplaceAll->isVisible());
    EXPECT_FLOAT_EQ(frmFind::Top(find->chkWholeWord), 600);
    EXPECT_FLOAT_EQ(frmFind::Top(find->chkMatchCase), 975);
    EXPECT_FLOAT_EQ(frmFind::Top(find->cmdCancel), 600);
    EXPECT_EQ(find->cmdCancel->y(), units::twipsToPixels(600));
    EXPECT_FLOAT_EQ(find->ClientHeight(), 1320);
    EXPECT_FLOAT_EQ(replaceHeight - find->FormHeight(), 870);
    EXPECT_EQ(find->height(), units::twipsToPixels(1320));
}

TEST_F(FindTest, ReopeningShowsTheLastSearchSelectedAndTheLastOptions)
{
    setDocument(QStringLiteral("one Two two"));
    frmFind* dialog = openDialogWith(false, QStringLiteral("two"));
    QTest::mouseClick(dialog->chkMatchCase, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(dialog->chkMatchCase->isChecked());
    // Enter runs the default button, Find Next.
    QTest::keyClick(dialog->txtFindWhat, Qt::Key_Return);
    EXPECT_EQ(editor().SelStart(), 8);
    EXPECT_TRUE(gblnMatchCase);
    EXPECT_FALSE(gblnWholeWord);
    click(dialog->cmdCancel);
    flushDeletes();

    frmFind* again = openDialog(false);
    EXPECT_NE(again, nullptr);
    EXPECT_EQ(again->txtFindWhat->text(), QStringLiteral("two"));
    EXPECT_EQ(again->txtFindWhat->selectedText(), QStringLiteral("two"));
    EXPECT_TRUE(again->chkMatchCase->isChecked());
    EXPECT_FALSE(again->chkWholeWord->isChecked());
    EXPECT_TRUE(again->cmdFindNext->isEnabled()) << "filling the box enables the search buttons";
    EXPECT_FLOAT_EQ(frmFind::Top(again->chkMatchCase), 975) << "a fresh dialog in Find layout";
}

TEST_F(FindTest, FindWhileFindIsOpenChangesNothingAndReplaceSwapsTheDialogs)
{
    setDocument(QStringLiteral("abc abc"), 1);
    frmFind* find = openDialog(false);
    EXPECT_EQ(glngFindStart, 1);
    editor().setSelStart(5);
    window.mnuFind->trigger();
    EXPECT_EQ(frmFind::instance(false), find);
    EXPECT_EQ(glngFindStart, 1) << "the start position is not taken again";

    window.mnuReplace_Click();
    frmFind* replace = frmFind::instance(false);
    EXPECT_NE(replace, find);
    EXPECT_TRUE(find->isUnloaded());
    EXPECT_EQ(replace->windowTitle(), QStringLiteral("Replace"));
    EXPECT_TRUE(replace->txtReplaceWith->isVisible());
    EXPECT_EQ(glngFindStart, 1) << "Replace keeps the start position";
    window.mnuReplace_Click();
    EXPECT_EQ(frmFind::instance(false), replace);

    window.mnuFind_Click();
    EXPECT_TRUE(replace->isUnloaded());
    EXPECT_EQ(frmFind::instance(false)->windowTitle(), QStringLiteral("Find"));
    EXPECT_EQ(glngFindStart, 5);
    flushDeletes();
    EXPECT_TRUE(IsFormLoaded(QStringLiteral("frmFind")));
}

TEST_F(FindTest, ReplaceTakesTheOccurrenceAtTheCaretOrTheSelectedOne)
{
    setDocument(QStringLiteral("say hello, hello"), 4);
    frmFind* dialog = openDialogWith(true, QStringLiteral("hello"), QStringLiteral("bye"));
    click(dialog->cmdReplace);
    EXPECT_EQ(text(), QStringLiteral("say bye, hello"));
    EXPECT_EQ(editor().SelStart(), 7) << "the caret follows the replacement";
    EXPECT_EQ(editor().SelLength(), 0);
    EXPECT_FALSE(window.gblnDocSaved);
    EXPECT_EQ(gstrReplaceWith, QStringLiteral("bye"));

    setDocument(QStringLiteral("hello hello hello"), 6);
    editor().setSelLength(5);
    click(dialog->cmdReplace);
    EXPECT_EQ(text(), QStringLiteral("hello bye hello"));

    // A Replace that finds nothing after the caret asks; No closes the dialog.
    setDocument(QStringLiteral("hello"), 3);
    host.answerMessageBox(MsgBoxResult::No);
    click(dialog->cmdReplace);
    EXPECT_EQ(text(), QStringLiteral("hello"));
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmFind")));

    // The Replace with box opens with the last replacement.
    frmFind* again = openDialog(true);
    EXPECT_EQ(again->txtReplaceWith->text(), QStringLiteral("bye"));
}

TEST_F(FindTest, ReplaceAllCoversTheWholeDocumentAndReportsTheCount)
{
    setDocument(QStringLiteral("cat dog cat dog cat"), 9);
    frmFind* dialog = openDialogWith(true, QStringLiteral("cat"), QStringLiteral("bird"));
    window.gblnDocSaved = true;
    host.answerMessageBox(MsgBoxResult::OK);
    click(dialog->cmdReplaceAll);
    EXPECT_EQ(text(), QStringLiteral("bird dog bird dog bird"));
    ASSERT_EQ(host.requests().size(), 1u) << "the last, failed search asks nothing";
    EXPECT_EQ(host.last().text,
              QStringLiteral("Done searching the document. 3 replacements were made."));
    EXPECT_EQ(host.last().style, 64);
    EXPECT_EQ(host.last().title, QStringLiteral("Replace All"));
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmFind")));
    EXPECT_FALSE(gblnReplaceAll);
    EXPECT_FALSE(window.gblnDocSaved);
    EXPECT_EQ(editor().SelStart(), 22) << "the caret follows the last replacement";
}

TEST_F(FindTest, ReplaceAllWithNoMatchOrAReplacementHoldingTheSearchText)
{
    setDocument(QStringLiteral("x yx x"));
    frmFind* dialog = openDialogWith(true, QStringLiteral("z"), QStringLiteral("y"));
    host.answerMessageBox(MsgBoxResult::OK);
    click(dialog->cmdReplaceAll);
    EXPECT_EQ(host.last().text,
              QStringLiteral("Done searching the document. 0 replacements were made."));
    EXPECT_EQ(text(), QStringLiteral("x yx x"));
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmFind")));

    dialog = openDialogWith(true, QStringLiteral("x"), QStringLiteral("xx"));
    host.answerMessageBox(MsgBoxResult::OK);
    click(dialog->cmdReplaceAll);
    EXPECT_EQ(text(), QStringLiteral("xx yxx xx"));
    EXPECT_EQ(host.last().text,
              QStringLiteral("Done searching the document. 3 replacements were made."));
    EXPECT_EQ(host.count(Kind::MessageBox), 2);
}

TEST_F(FindTest, OneUndoRestoresTheDocumentBeforeReplaceAll)
{
    setDocument(QStringLiteral("a b a b a"));
    frmFind* dialog = openDialogWith(true, QStringLiteral("a"), QStringLiteral("c"));
    host.answerMessageBox(MsgBoxResult::OK);
    click(dialog->cmdReplaceAll);
    EXPECT_EQ(text(), QStringLiteral("c b c b c"));
    window.mnuUndo_Click();
    EXPECT_EQ(text(), QStringLiteral("a b a b a"));
}

TEST_F(FindTest, MatchCaseDecidesWhetherALetterCaseDifferenceIsFound)
{
    setDocument(QStringLiteral("Привет, École"));
    frmFind* dialog = openDialogWith(false, QStringLiteral("école"));
    click(dialog->cmdFindNext);
    EXPECT_EQ(editor().SelStart(), 8);
    EXPECT_EQ(editor().SelLength(), 5);

    editor().setSelStart(0);
    glngFindStart = 0;
    dialog->txtFindWhat->selectAll();
    typeInto(dialog->txtFindWhat, QStringLiteral("ПРИВЕТ"));
    dialog->chkMatchCase->setChecked(true);
    host.answerMessageBox(MsgBoxResult::No);
    click(dialog->cmdFindNext);
    EXPECT_FALSE(gblnFound);
    EXPECT_EQ(host.last().text, Prompt);
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmFind"))) << "No closes the dialog";
}

TEST_F(FindTest, EmptyingFindWhatDisablesTheSearchButtonsAndTypingEnablesThem)
{
    frmFind* dialog = openDialog(true);
    QTest::keyClicks(dialog->txtFindWhat, QStringLiteral("q"));
    EXPECT_TRUE(dialog->cmdFindNext->isEnabled());
    EXPECT_TRUE(dialog->cmdReplace->isEnabled());
    EXPECT_TRUE(dialog->cmdReplaceAll->isEnabled());
    QTest::keyClick(dialog->txtFindWhat, Qt::Key_Backspace);
    EXPECT_FALSE(dialog->cmdFindNext->isEnabled());
    EXPECT_FALSE(dialog->cmdReplace->isEnabled());
    EXPECT_FALSE(dialog->cmdReplaceAll->isEnabled());
    QTest::keyClick(dialog->txtFindWhat, Qt::Key_Return);
    EXPECT_TRUE(host.requests().empty()) << "no search for an empty text";
}

TEST_F(FindTest, MessagesFromTheDialogBelongToIt)
{
    setDocument(QStringLiteral("one vox here"));
    frmFind* dialog = openDialogWith(false, QStringLiteral("vox"));
    click(dialog->cmdFindNext);
    ASSERT_TRUE(gblnFound);
    host.answerMessageBox(MsgBoxResult::Yes);
    click(dialog->cmdFindNext);
    ASSERT_EQ(host.count(Kind::MessageBox), 1);
    EXPECT_EQ(host.last().text, Prompt);
    EXPECT_EQ(host.last().owner, dialog) << "the restart prompt is the dialog's";
    EXPECT_EQ(DialogHost::parentWindow(), &window) << "later messages are the main window's";

    dialog->Unload();
    flushDeletes();
    dialog = openDialogWith(true, QStringLiteral("vox"), QStringLiteral("fox"));
    host.answerMessageBox(MsgBoxResult::OK);
    click(dialog->cmdReplaceAll);
    EXPECT_EQ(host.last().title, QStringLiteral("Replace All"));
    EXPECT_EQ(host.last().owner, dialog);

    // F3 in the document asks over the main window.
    dialog->Unload();
    flushDeletes();
    host.answerMessageBox(MsgBoxResult::No);
    editor().setSelStart(12);
    glngFindStart = 12;
    window.mnuFindNext_Click();
    EXPECT_EQ(host.last().owner, &window);
}

TEST_F(FindTest, AWordWithABookmarkInsideIsFoundSelectedAndReplacedWhole)
{
    editor().setTextRTF("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}Some wo{\\*\\bkmkstart b}rd"
                        "{\\*\\bkmkend b}s here.\\par}");
    editor().setSelStart(0);
    gstrFindWhat = QStringLiteral("words");
    gblnWholeWord = true;
    SearchDocument();
    gblnWholeWord = false;
    ASSERT_TRUE(gblnFound);
    EXPECT_EQ(editor().SelStart(), 5);
    EXPECT_EQ(editor().SelLength(), 7) << "the match spans the two carried characters";
    EXPECT_EQ(glngFindStart, 12);
    // Replacing the match replaces the text that holds the bookmark, and the bookmark with it.
    editor().setSelText(QStringLiteral("text"));
    EXPECT_EQ(editor().Text(), QStringLiteral("Some text here."));
    EXPECT_FALSE(editor().TextRTF().contains("bkmk"));
}

TEST_F(FindTest, FindAndReplaceAllReachEveryTableCell)
{
    editor().setTextRTF("{\\rtf1\\ansi\\pard cat\\par\\trowd\\cellx2000\\cellx4000\\pard\\intbl "
                        "a cat\\cell dog\\cell\\row\\trowd\\cellx2000\\cellx4000\\pard\\intbl "
                        "dog\\cell cat\\par cat\\cell\\row\\pard end\\par}");
    editor().setSelStart(0);
    auto* table = qobject_cast<QTextTable*>(editor().document()->rootFrame()->childFrames()[0]);
    ASSERT_NE(table, nullptr);

    // Find Next goes from cell to cell, in reading order.
    gstrFindWhat = QStringLiteral("cat");
    SearchDocument();
    EXPECT_EQ(editor().SelStart(), 0);
    SearchDocument();
    EXPECT_EQ(editor().SelStart(), table->cellAt(0, 0).firstPosition() + 2);
    SearchDocument();
    EXPECT_EQ(editor().SelStart(), table->cellAt(1, 1).firstPosition());
    EXPECT_EQ(editor().SelLength(), 3);

    // Replace All replaces in every cell and every paragraph of a cell; the table stays whole.
    frmFind* dialog = openDialogWith(true, QStringLiteral("cat"), QStringLiteral("lynx"));
    host.answerMessageBox(MsgBoxResult::OK);
    click(dialog->cmdReplaceAll);
    EXPECT_EQ(host.last().text,
              QStringLiteral("Done searching the document. 4 replacements were made."));
    table = qobject_cast<QTextTable*>(editor().document()->rootFrame()->childFrames().value(0));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->columns(), 2);
    QTextCursor cell = table->cellAt(1, 1).firstCursorPosition();
    cell.setPosition(table->cellAt(1, 1).lastPosition(), QTextCursor::KeepAnchor);
    EXPECT_EQ(cell.selectedText(), QStringLiteral("lynx\u2029lynx"));
    EXPECT_FALSE(text().contains(QStringLiteral("cat")));
    EXPECT_TRUE(text().contains(QStringLiteral("a lynx")));
}
