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
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>

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
    // Drags `data` over the document and drops it where the character at `position` is; true
    // when the drop was taken.
    bool dropAt(long position, const QMimeData* data,
                Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTextCursor at(view()->document());
        at.setPosition(int(position));
        const QPoint point = view()->cursorRect(at).center();
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(point, actions, data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(view()->viewport(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(point, actions, data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(view()->viewport(), &drop);
        return drop.isAccepted();
    }
    void select(long start, long length)
    {
        editor().setSelStart(start);
        editor().setSelLength(length);
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

TEST(Keyboard, TheOverwritePanelAlwaysShowsTheTypingMode)
{
    Editor e;
    StatusPanel& overwrite = e.window.sbrMain->Panels(QStringLiteral("Overwrite"));
    auto rtf = [] {
        auto* data = new QMimeData;
        data->setData(QStringLiteral("text/rtf"), QByteArrayLiteral("{\\rtf1\\ansi RTF}"));
        QGuiApplication::clipboard()->setMimeData(data);
    };
    rtf();
    QTest::keyClicks(e.view(), QStringLiteral("ab"));
    // Shift+Insert pastes, Ctrl+Insert copies; neither switches either of the two.
    e.key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(e.editor().Text(), QStringLiteral("abRTF"));
    EXPECT_FALSE(overwrite.Enabled());
    EXPECT_FALSE(e.view()->overwriteMode());
    e.key(Qt::Key_Home, Qt::ShiftModifier);
    e.key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_FALSE(overwrite.Enabled());
    EXPECT_FALSE(e.view()->overwriteMode());
    const QByteArray copied =
        QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("text/rtf"));
    EXPECT_TRUE(copied.contains("ab") && copied.contains("RTF}")) << copied.toStdString();
    EXPECT_FALSE(copied.startsWith("{\\rtf1\\ansi RTF}")) << "the copy replaced what was there";
    // Every other combination leaves both alone; Insert alone switches both.
    for (Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::AltModifier), Qt::ControlModifier | Qt::ShiftModifier,
          Qt::KeyboardModifiers(Qt::NoModifier)}) {
        e.key(Qt::Key_Insert, modifiers);
        EXPECT_EQ(overwrite.Enabled(), e.view()->overwriteMode());
    }
    EXPECT_TRUE(e.view()->overwriteMode());
}

TEST(ClipboardCommands, CtrlVTakesTheUndoSnapshotAlsoWithNothingToPaste)
{
    Editor e;
    QGuiApplication::clipboard()->setText(QStringLiteral("plain text only"));
    QTest::keyClicks(e.view(), QStringLiteral("A"));
    e.key(Qt::Key_A, Qt::ControlModifier);
    e.key(Qt::Key_B, Qt::ControlModifier);
    e.key(Qt::Key_Right);
    QTest::keyClicks(e.view(), QStringLiteral("B"));
    EXPECT_FALSE(e.window.mnuPaste->isEnabled());
    e.key(Qt::Key_V, Qt::ControlModifier);
    QTest::keyClicks(e.view(), QStringLiteral("C"));
    EXPECT_EQ(e.editor().Text(), QStringLiteral("ABC"));
    e.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(e.editor().Text(), QStringLiteral("AB"));
    e.editor().setSelStart(0);
    e.editor().setSelLength(2);
    EXPECT_EQ(e.editor().SelBold(), true);
}

TEST(EditorMenu, OffersTheEditMenusOwnCommandsInTheirState)
{
    Editor e;
    QGuiApplication::clipboard()->setText(QStringLiteral("plain text only"));
    QTest::keyClicks(e.view(), QStringLiteral("some words"));
    e.key(Qt::Key_Left, Qt::ShiftModifier);
    QStringList shown;
    QList<bool> enabled;
    QList<QAction*> offered;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            offered << action;
            shown << (action->isSeparator() ? QStringLiteral("-") : action->text());
            if (!action->isSeparator())
                enabled << action->isEnabled();
        }
        menu->close();
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                            e.view()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(e.view()->viewport(), &click);
    EXPECT_EQ(shown,
              QStringList({"&Undo", "-", "Cu&t", "&Copy", "&Paste", "Clear", "-", "&Select All"}));
    ASSERT_EQ(offered.size(), 8);
    EXPECT_EQ(offered[0], e.window.mnuUndo);
    EXPECT_EQ(offered[4], e.window.mnuPaste);
    EXPECT_EQ(enabled, QList<bool>({true, true, true, false, true, true}))
        << "Cut and Copy enabled by the selection, Paste disabled for plain text";
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

TEST(DragAndDrop, DraggingTheSelectionMovesItWithItsFormattingAndUndoPutsItBack)
{
    Editor e;
    auto* clip = new QMimeData;
    clip->setData(QStringLiteral("text/rtf"), QByteArrayLiteral("{\\rtf1\\ansi CLIPBOARD}"));
    QGuiApplication::clipboard()->setMimeData(clip);
    e.editor().setSelText(QStringLiteral("one two three"));
    e.select(4, 3);
    e.editor().setSelBold(true);
    e.select(4, 4);
    e.window.gblnDocSaved = true;
    std::unique_ptr<QMimeData> dragged(e.view()->createMimeDataFromSelection());

    EXPECT_FALSE(e.dropAt(5, dragged.get())) << "dropped onto itself: nothing moves";
    EXPECT_EQ(e.editor().Text(), QStringLiteral("one two three"));
    EXPECT_TRUE(e.window.gblnDocSaved);

    ASSERT_TRUE(e.dropAt(13, dragged.get()));
    EXPECT_EQ(e.editor().Text(), QStringLiteral("one threetwo "));
    EXPECT_FALSE(e.window.gblnDocSaved);
    EXPECT_EQ(e.editor().SelText(), QStringLiteral("two ")) << "the moved text stays selected";
    e.select(9, 3);
    EXPECT_EQ(e.editor().SelBold(), true);
    e.window.mnuUndo_Click();
    EXPECT_EQ(e.editor().Text(), QStringLiteral("one two three"));

    // With Ctrl the selection is copied.
    e.select(0, 4);
    dragged.reset(e.view()->createMimeDataFromSelection());
    ASSERT_TRUE(e.dropAt(13, dragged.get(), Qt::ControlModifier));
    EXPECT_EQ(e.editor().Text(), QStringLiteral("one two threeone "));
    e.window.mnuUndo_Click();
    EXPECT_EQ(e.editor().Text(), QStringLiteral("one two three"));
}

TEST(DragAndDrop, DropsFromOtherProgramsInsertRtfElsePlainTextButNoFiles)
{
    Editor e;
    auto* clip = new QMimeData;
    clip->setData(QStringLiteral("text/rtf"), QByteArrayLiteral("{\\rtf1\\ansi CLIPBOARD}"));
    QGuiApplication::clipboard()->setMimeData(clip);
    e.editor().setSelText(QStringLiteral("[]"));

    QMimeData rich;
    rich.setData(QStringLiteral("application/rtf"), QByteArrayLiteral("{\\rtf1\\ansi {\\b bold}}"));
    rich.setText(QStringLiteral("not this"));
    ASSERT_TRUE(e.dropAt(1, &rich));
    EXPECT_EQ(e.editor().Text(), QStringLiteral("[bold]"));
    e.select(1, 4);
    EXPECT_EQ(e.editor().SelBold(), true);
    e.window.mnuUndo_Click();
    EXPECT_EQ(e.editor().Text(), QStringLiteral("[]"));

    QMimeData plain;
    plain.setText(QStringLiteral("text"));
    ASSERT_TRUE(e.dropAt(1, &plain));
    EXPECT_EQ(e.editor().Text(), QStringLiteral("[text]"));

    QMimeData picture;
    picture.setImageData(QImage(4, 4, QImage::Format_RGB32));
    EXPECT_FALSE(e.dropAt(1, &picture));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a file.rtf"))});
    files.setText(QStringLiteral("/tmp/a file.rtf"));
    EXPECT_FALSE(e.dropAt(1, &files)) << "the drag is refused";
    EXPECT_EQ(e.editor().Text(), QStringLiteral("[text]"));
}
