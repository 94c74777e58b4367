#include "clipboard/cCustomClipboard.h"
#include "platform/bars/StatusBar.h"
#include "platform/bars/Toolbar.h"
#include "platform/clipboard/ClipboardLayer.h"
#include "platform/clipboard/ClipboardMemoryBackend.h"
#include "platform/control/RichTextBox.h"
#include "platform/control/RichTextView.h"
#include "platform/rtf/Rtf.h"
#include "shell/frmRTBEditor.h"
#include "support/ScriptedDialogHost.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace
{

struct Editor {
    frmRTBEditor window;
    Editor()
    {
        QGuiApplication::clipboard()->clear();
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        view()->setFocus();
    }
    RichTextBox& editor() { return *window.rtbEditor; }
    RichTextView* view() { return editor().view(); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(view(), key, modifiers);
    }
    QString panel(const char* key)
    {
        return window.sbrMain->Panels(QString::fromLatin1(key)).Text();
    }
    bool pressed(const char* key)
    {
        return window.tbrFormatting->Buttons(QString::fromLatin1(key)).Value() == 1;
    }
};

} // namespace

TEST(Keyboard, CtrlBTogglesBoldExactlyOnce)
{
    Editor e;
    QTest::keyClicks(e.view(), QStringLiteral("word"));
    e.key(Qt::Key_Home, Qt::ShiftModifier);
    e.key(Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(e.editor().SelBold(), true);
    EXPECT_TRUE(e.pressed("Bold"));
    e.key(Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(e.editor().SelBold(), false);
    EXPECT_FALSE(e.pressed("Bold"));
}

TEST(Keyboard, CtrlAloneKeysAreConsumedButCtrlShiftReachesTheEditor)
{
    Editor e;
    QTest::keyClicks(e.view(), QStringLiteral("one two"));
    e.key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(e.editor().SelStart(), 7) << "Ctrl+Left does not move the caret";
    e.key(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(e.editor().SelLength(), 3) << "Ctrl+Shift+Left selects a word";
    e.key(Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(e.editor().Text(), QStringLiteral("one two"));
    EXPECT_EQ(e.editor().SelAlignment(), RichTextBox::rtfLeft);
    // Typing c, v and x enters the letters.
    e.key(Qt::Key_End);
    QTest::keyClicks(e.view(), QStringLiteral(" vox cvx"));
    EXPECT_EQ(e.editor().Text(), QStringLiteral("one two vox cvx"));
}

TEST(Keyboard, DeleteClearsThroughTheCommandAndInsertTogglesOverwrite)
{
    Editor e;
    QTest::keyClicks(e.view(), QStringLiteral("abc"));
    e.key(Qt::Key_Home);
    e.key(Qt::Key_Delete);
    EXPECT_EQ(e.editor().Text(), QStringLiteral("bc"));
    e.key(Qt::Key_End);
    e.window.gblnDocSaved = true;
    e.key(Qt::Key_Delete);
    EXPECT_EQ(e.editor().Text(), QStringLiteral("bc")) << "nothing after the caret";
    EXPECT_TRUE(e.window.gblnDocSaved);

    StatusPanel& overwrite = e.window.sbrMain->Panels(QStringLiteral("Overwrite"));
    EXPECT_FALSE(overwrite.Enabled());
    e.key(Qt::Key_Insert);
    EXPECT_TRUE(overwrite.Enabled());
    EXPECT_TRUE(e.view()->overwriteMode());
    e.key(Qt::Key_Home);
    QTest::keyClicks(e.view(), QStringLiteral("X"));
    EXPECT_EQ(e.editor().Text(), QStringLiteral("Xc"));
    e.key(Qt::Key_Insert);
    EXPECT_FALSE(overwrite.Enabled());
    EXPECT_FALSE(e.view()->overwriteMode());
}

TEST(Keyboard, CtrlNRunsNewOnce)
{
    Editor e;
    ScriptedDialogHost host;
    QTest::keyClicks(e.view(), QStringLiteral("text"));
    host.answerMessageBox(MsgBoxResult::Cancel);
    e.key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(host.count(ScriptedDialogHost::Kind::MessageBox), 1);
    EXPECT_EQ(e.editor().Text(), QStringLiteral("text"));
}

TEST(SelectionState, PanelsShowLineAndPositionAndTheFont)
{
    Editor e;
    e.window.rtbEditor_SelChange();
    EXPECT_EQ(e.panel("MainText"), QStringLiteral("Line 1     Pos 1"));
    QTest::keyClicks(e.view(), QStringLiteral("first"));
    e.key(Qt::Key_Return);
    QTest::keyClicks(e.view(), QStringLiteral("second"));
    e.key(Qt::Key_Return);
    QTest::keyClicks(e.view(), QStringLiteral("seventh char"));
    e.editor().setSelStart(6 + 7 + 7);
    EXPECT_EQ(e.panel("MainText"), QStringLiteral("Line 3     Pos 8"));
    e.editor().setSelStart(6);
    EXPECT_EQ(e.panel("MainText"), QStringLiteral("Line 2     Pos 1"));

    e.editor().setSelStart(0);
    e.editor().setSelLength(5);
    e.editor().setSelFontName(QStringLiteral("Arial"));
    e.editor().setSelStart(0);
    e.editor().setSelLength(10);
    EXPECT_EQ(e.panel("FontInfo"), QStringLiteral("Font:  9"));
    e.editor().setSelStart(6);
    e.editor().setSelLength(3);
    e.editor().setSelFontSize(10.5);
    EXPECT_EQ(e.panel("FontInfo"), QStringLiteral("Font: Courier New 10.5"));
    e.editor().setSelStart(6);
    e.editor().setSelLength(10);
    EXPECT_EQ(e.panel("FontInfo"), QStringLiteral("Font: Courier New"));
    e.editor().setSelStart(0);
    e.editor().setSelLength(10);
    EXPECT_EQ(e.panel("FontInfo"), QStringLiteral("Font: "));
}

TEST(SelectionState, AWrappedLineStartsAgainAtPositionOne)
{
    Editor e;
    e.editor().setRightMargin(1500);
    QString words;
    for (int i = 0; i < 30; ++i)
        words += QStringLiteral("word ");
    e.editor().setSelText(words);
    const long secondLineStart = e.editor().lineStartFromChar(40);
    ASSERT_GT(secondLineStart, 0);
    e.editor().setSelStart(secondLineStart);
    EXPECT_EQ(
        e.panel("MainText"),
        QStringLiteral("Line %1     Pos 1").arg(e.editor().GetLineFromChar(secondLineStart) + 1));
    EXPECT_GT(e.editor().GetLineFromChar(secondLineStart), 0);
}

TEST(SelectionState, CutAndCopyFollowTheSelectionAndPasteOnlyRtf)
{
    Editor e;
    QTest::keyClicks(e.view(), QStringLiteral("abc"));
    EXPECT_FALSE(e.window.mnuCut->isEnabled());
    e.key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_TRUE(e.window.mnuCut->isEnabled());
    EXPECT_TRUE(e.window.tbrStandard->Buttons(QStringLiteral("Copy")).Enabled());
    e.key(Qt::Key_Right);
    EXPECT_FALSE(e.window.mnuCopy->isEnabled());

    QGuiApplication::clipboard()->setText(QStringLiteral("plain text elsewhere"));
    e.key(Qt::Key_Right);
    EXPECT_FALSE(e.window.mnuPaste->isEnabled());
    EXPECT_FALSE(e.window.tbrStandard->Buttons(QStringLiteral("Paste")).Enabled());
    // Ctrl+V with only plain text inserts nothing.
    e.key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e.editor().Text(), QStringLiteral("abc"));

    auto* rtf = new QMimeData;
    rtf->setData(QStringLiteral("text/rtf"), QByteArrayLiteral("{\\rtf1\\ansi copied}"));
    QGuiApplication::clipboard()->setMimeData(rtf);
    e.key(Qt::Key_Right);
    EXPECT_TRUE(e.window.mnuPaste->isEnabled());
}

TEST(ClipboardCommands, CopyOffersRtfTextAndHtmlAloneAndPasteInsertsIt)
{
    Editor e;
    // Another program copied before: its own format and text.
    auto* theirs = new QMimeData;
    theirs->setText(QStringLiteral("old words"));
    theirs->setData(QStringLiteral("application/x-openoffice-embed-source-xml"), "<office/>");
    QGuiApplication::clipboard()->setMimeData(theirs);

    e.editor().setSelText(QStringLiteral("bold w\u00F6rd \u0142\nnext"));
    e.editor().setSelStart(0);
    e.editor().setSelLength(4);
    e.editor().setSelBold(true);
    e.window.mnuSelectAll_Click();
    const QByteArray rtf = e.editor().SelRTF();
    e.window.mnuCopy_Click();

    // Nothing of the other program is left; every offer is made of the same selection.
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    EXPECT_FALSE(data->hasFormat(QStringLiteral("application/x-openoffice-embed-source-xml")));
    for (const char* type : {"text/rtf", "application/rtf", "text/richtext"})
        EXPECT_EQ(data->data(QString::fromLatin1(type)), rtf) << type;
    EXPECT_EQ(data->text(), QStringLiteral("bold w\u00F6rd \u0142\nnext"));
    ASSERT_TRUE(data->hasHtml());
    QTextDocument html;
    html.setHtml(data->html());
    EXPECT_EQ(html.toPlainText(), data->text());
    EXPECT_TRUE(html.begin().begin().fragment().charFormat().font().bold());

    // Paste reads the RTF: the copy comes back with its formatting, and Undo takes it out.
    EXPECT_TRUE(e.window.mnuPaste->isEnabled());
    e.editor().setSelStart(e.editor().Text().size());
    e.window.mnuPaste_Click();
    EXPECT_EQ(e.editor().Text(),
              QStringLiteral("bold w\u00F6rd \u0142\nnextbold w\u00F6rd \u0142\nnext"));
    e.editor().setSelStart(16);
    e.editor().setSelLength(4);
    EXPECT_EQ(e.editor().SelText(), QStringLiteral("bold"));
    EXPECT_EQ(e.editor().SelBold(), true);
    e.window.mnuUndo_Click();
    EXPECT_EQ(e.editor().Text(), QStringLiteral("bold w\u00F6rd \u0142\nnext"));
}

TEST(ClipboardCommands, CutLeavesOnlyTheCutSelectionOnTheClipboard)
{
    Editor e;
    ClipboardMemoryBackend memory;
    ClipboardBackend* previous = setClipboardBackend(&memory);
    memory.placeAsAnotherProgram(win32::CF_TEXT, "theirs");
    memory.placeAsAnotherProgram(registerFormatName(QStringLiteral("Their Format")), "x");
    e.editor().setSelText(QStringLiteral("cut me"));
    e.editor().setSelStart(0);
    e.editor().setSelLength(3);
    e.window.mnuCut_Click();
    EXPECT_EQ(e.editor().Text(), QStringLiteral(" me"));
    std::vector<win32::UINT> formats;
    for (const auto& entry : memory.entries()) {
        EXPECT_TRUE(entry.ours);
        formats.push_back(entry.format);
    }
    const win32::UINT html = registerFormatName(QStringLiteral("text/html"));
    EXPECT_EQ(formats, (std::vector<win32::UINT>{richTextFormat(), win32::CF_UNICODETEXT, html}));
    EXPECT_EQ(memory.data(win32::CF_UNICODETEXT), QByteArray("c\0u\0t\0\0\0", 8));
    EXPECT_TRUE(memory.data(html).contains("cut"));
    setClipboardBackend(previous);
}

TEST(ClipboardCommands, CutRemovesTheSelectionEvenWhenTheClipboardIsHeldElsewhere)
{
    Editor e;
    ClipboardMemoryBackend memory;
    ClipboardBackend* previous = setClipboardBackend(&memory);
    e.editor().setSelText(QStringLiteral("remove me"));
    e.editor().setSelStart(0);
    e.editor().setSelLength(7);
    memory.holdOpenAsAnotherProgram();
    e.window.mnuCut_Click();
    EXPECT_EQ(e.editor().Text(), QStringLiteral("me"));
    EXPECT_FALSE(e.window.CanPaste()) << "another program holds the clipboard: no message";
    memory.releaseAsAnotherProgram();
    EXPECT_FALSE(e.window.CanPaste()) << "nothing reached the clipboard";
    setClipboardBackend(previous);
    e.window.mnuUndo_Click();
    EXPECT_EQ(e.editor().Text(), QStringLiteral("remove me"));
}

TEST(ClipboardCommands, NotesGoWithTheirTextThroughCutPasteAndUndo)
{
    Editor e;
    e.editor().setTextRTF("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\header Head\\par}"
                          "\\paperw11906\\paperh16838 one two{\\super\\chftn}"
                          "{\\footnote {\\super\\chftn} The note.} three\\par}");
    const auto saved = [&e] { return e.editor().TextRTF(); };
    ASSERT_EQ(saved().count("{\\footnote "), 1);
    // "two" and the note's reference after it.
    e.editor().setSelStart(4);
    e.editor().setSelLength(4);
    e.window.mnuCut_Click();
    EXPECT_EQ(saved().count("\\footnote"), 0);
    // What belongs to the whole document stays with it.
    EXPECT_TRUE(saved().contains("{\\header Head\\par}"));
    EXPECT_TRUE(saved().contains("\\paperw11906"));

    e.editor().setSelStart(static_cast<int>(e.editor().Text().size()));
    e.window.mnuPaste_Click();
    EXPECT_EQ(saved().count("{\\footnote "), 1);
    EXPECT_TRUE(saved().contains("two{\\super\\chftn}{\\footnote {\\super\\chftn} The note.}"));
    e.window.mnuUndo_Click();
    EXPECT_EQ(saved().count("\\footnote"), 0);
    e.window.mnuUndo_Click();
    EXPECT_EQ(saved().count("{\\footnote "), 1);
    EXPECT_TRUE(saved().contains("{\\header Head\\par}"));
}

TEST(ClipboardCommands, SelectAllAndClear)
{
    Editor e;
    e.window.mnuSelectAll_Click();
    EXPECT_EQ(e.editor().SelStart(), 0);
    EXPECT_EQ(e.editor().SelLength(), 0);
    e.editor().setSelText(QStringLiteral("all of it"));
    e.window.mnuSelectAll_Click();
    EXPECT_EQ(e.editor().SelLength(), 9);
    e.window.mnuDelete_Click();
    EXPECT_EQ(e.editor().Text(), QString());
}

TEST(EditorHook, PasteRequestsOfTheViewGoThroughProcessPaste)
{
    Editor e;
    QGuiApplication::clipboard()->setText(QStringLiteral("plain only"));
    // A paste request by the view's own path pastes nothing but RTF.
    e.view()->paste();
    EXPECT_EQ(e.editor().Text(), QString());
    // Once the window may close, the view handles pastes itself again.
    e.window.RemoveEditorHook();
    e.view()->paste();
    EXPECT_EQ(e.editor().Text(), QStringLiteral("plain only"));
}
