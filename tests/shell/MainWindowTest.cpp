#include "find/frmFind.h"
#include "formatting/frmParagraph.h"
#include "insertion/frmDateTime.h"
#include "platform/bars/StatusBar.h"
#include "platform/bars/Toolbar.h"
#include "platform/control/RichTextBox.h"
#include "platform/control/RichTextView.h"
#include "platform/core/Error.h"
#include "platform/core/Units.h"
#include "platform/dialogs/DialogHost.h"
#include "shell/frmRTBEditor.h"
#include "support/ScriptedDialogHost.h"

#include <QAction>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

struct ShownWindow {
    frmRTBEditor window;
    ShownWindow()
    {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    RichTextBox& editor() { return *window.rtbEditor; }
};

QStringList keysOf(const Toolbar& bar)
{
    QStringList keys;
    for (const ToolbarButton* button : bar.buttons())
        keys << button->Key();
    return keys;
}

} // namespace

TEST(MainWindow, StartsUntitledWithBothToolbarsAndEightPanels)
{
    ShownWindow w;
    EXPECT_EQ(w.window.windowTitle(), QStringLiteral("BW Wordlark - Untitled"));
    EXPECT_TRUE(w.window.gblnDocSaved);
    EXPECT_EQ(keysOf(*w.window.tbrStandard),
              QStringList({"New", "Open", "Save", "Print", "Find", "Cut", "Copy", "Paste", "Undo",
                           "DateTime"}));
    EXPECT_EQ(keysOf(*w.window.tbrFormatting),
              QStringList({"Font", "Bold", "Italic", "Underline", "Color", "Subscript",
                           "Superscript", "Lowercase", "Uppercase", "AlignLeft", "AlignCenter",
                           "AlignRight", "Bullets"}));
    // 14 and 17 buttons, separators included.
    EXPECT_EQ(w.window.tbrStandard->actions().size(), 14);
    EXPECT_EQ(w.window.tbrFormatting->actions().size(), 17);
    EXPECT_EQ(w.window.tbrStandard->Buttons(QStringLiteral("DateTime")).ToolTipText(),
              QStringLiteral("Date/Time"));
    EXPECT_EQ(w.window.tbrFormatting->Buttons(QStringLiteral("AlignCenter")).ToolTipText(),
              QStringLiteral("Center"));
    for (const char* key :
         {"MainText", "FontInfo", "Date", "Time", "CapsLock", "NumLock", "ScrollLock", "Overwrite"})
        EXPECT_NO_THROW(w.window.sbrMain->Panels(QString::fromLatin1(key))) << key;
    EXPECT_FALSE(w.window.sbrMain->Panels(QStringLiteral("Overwrite")).Enabled());
    EXPECT_EQ(w.window.sbrMain->Panels(QStringLiteral("Overwrite")).Text(), QStringLiteral("OVR"));
    EXPECT_THROW(w.window.tbrStandard->Buttons(QStringLiteral("new")), PlatformError);

    // The start-up tick shows the caret's state.
    QTest::qWait(250);
    EXPECT_FALSE(w.window.tmrDelay->isActive());
    EXPECT_EQ(w.window.sbrMain->Panels(QStringLiteral("MainText")).Text(),
              QStringLiteral("Line 1     Pos 1"));
    EXPECT_EQ(w.window.sbrMain->Panels(QStringLiteral("FontInfo")).Text(),
              QStringLiteral("Font: Courier New 9"));
}

TEST(MainWindow, MenusCarryTheirCaptionsAndShortcuts)
{
    ShownWindow w;
    EXPECT_EQ(w.window.mnuOpen->text(), QStringLiteral("&Open ..."));
    EXPECT_EQ(w.window.mnuOpen->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(w.window.mnuDelete->text(), QStringLiteral("Clear"));
    EXPECT_EQ(w.window.mnuDelete->shortcut(), QKeySequence(Qt::Key_Delete));
    EXPECT_EQ(w.window.mnuFindNext->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(w.window.mnuReplace->text(), QStringLiteral("R&eplace ..."));
    EXPECT_EQ(w.window.mnuUpperCase->text(), QStringLiteral("&Upper Case"));
    QStringList menus;
    for (QAction* menu : w.window.menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, QStringList({"&File", "&Edit", "&View", "&Insert", "F&ormat", "&Help"}));
    EXPECT_TRUE(w.window.mnuToolbar->isChecked());
    EXPECT_TRUE(w.window.mnuFormatBar->isChecked());
    EXPECT_TRUE(w.window.mnuStatusBar->isChecked());
}

TEST(MainWindow, EditorFillsTheClientAreaBetweenTheBars)
{
    ShownWindow w;
    RichTextBox& editor = w.editor();
    EXPECT_EQ(editor.Top(), 840);
    EXPECT_FLOAT_EQ(editor.Width(), w.window.clientWidth());
    EXPECT_FLOAT_EQ(editor.Height(), w.window.clientHeight() - 420 - 420 - 375);
    EXPECT_FLOAT_EQ(editor.RightMargin(), editor.Width() - 400);
    const QRect view = editor.view()->geometry();
    EXPECT_EQ(view.top(), w.window.tbrFormatting->geometry().bottom() + 1);
    EXPECT_EQ(view.bottom() + 1, w.window.sbrMain->geometry().top());

    w.window.resize(w.window.width() + 150, w.window.height() + 90);
    QTest::qWait(20);
    EXPECT_FLOAT_EQ(editor.Width(), w.window.clientWidth());
    EXPECT_FLOAT_EQ(editor.RightMargin(), editor.Width() - 400);
    EXPECT_EQ(editor.view()->geometry().bottom() + 1, w.window.sbrMain->geometry().top());
}

TEST(MainWindow, ViewTogglesMoveTheEditorAndKeepItsHeightNonNegative)
{
    ShownWindow w;
    RichTextBox& editor = w.editor();
    const float height = editor.Height();

    w.window.mnuToolbar->trigger();
    EXPECT_FALSE(w.window.mnuToolbar->isChecked());
    EXPECT_FALSE(w.window.tbrStandard->isVisible());
    EXPECT_EQ(editor.Top(), 420);
    EXPECT_FLOAT_EQ(editor.Height(), height + 420);
    EXPECT_EQ(w.window.tbrFormatting->geometry().top(), 0);

    w.window.mnuFormatBar_Click();
    EXPECT_EQ(editor.Top(), 0);
    w.window.mnuStatusBar_Click();
    EXPECT_EQ(editor.Top(), 0);
    EXPECT_FLOAT_EQ(editor.Height(), height + 420 + 420 + 375);
    EXPECT_FLOAT_EQ(editor.Height(), w.window.clientHeight());

    // A resize with every bar hidden keeps the editor filling the client area.
    w.window.resize(w.window.width(), w.window.height() + 60);
    QTest::qWait(20);
    EXPECT_FLOAT_EQ(editor.Height(), w.window.clientHeight());

    w.window.mnuToolbar_Click();
    w.window.mnuFormatBar_Click();
    w.window.mnuStatusBar_Click();
    EXPECT_EQ(editor.Top(), 840);
    EXPECT_FLOAT_EQ(editor.Height(), w.window.clientHeight() - 420 - 420 - 375);

    // A window so small that the editor is shorter than a bar being shown.
    w.window.mnuToolbar_Click();
    editor.setHeight(100);
    w.window.mnuToolbar_Click();
    EXPECT_EQ(editor.Height(), 0);
}

TEST(MainWindow, AResizeTooSmallForTheBarsSkipsOnlyTheFailingSteps)
{
    ShownWindow w;
    w.window.resize(200, w.window.menuBar()->height() + 20);
    QTest::qWait(20);
    RichTextBox& editor = w.editor();
    EXPECT_GE(editor.Height(), 0);
    EXPECT_FLOAT_EQ(editor.Width(), w.window.clientWidth());
    EXPECT_FLOAT_EQ(editor.RightMargin(), editor.Width() - 400);
}

TEST(MainWindow, AboutShowsTheProgramWithTheInformationIcon)
{
    ShownWindow w;
    ScriptedDialogHost host;
    host.answerMessageBox(MsgBoxResult::OK);
    w.window.mnuAbout->trigger();
    ASSERT_EQ(host.requests().size(), 1u);
    EXPECT_EQ(host.last().title, QStringLiteral("BW Wordlark"));
    EXPECT_EQ(host.last().style, MsgBoxStyle::Information);
    EXPECT_TRUE(host.last().text.contains(QStringLiteral("Wordlark")));
    EXPECT_FALSE(host.last().text.contains(QStringLiteral("http")));
}

TEST(MainWindow, TypingIntoTheEditorMarksTheDocumentChanged)
{
    ShownWindow w;
    w.editor().view()->setFocus();
    QTest::keyClicks(w.editor().view(), QStringLiteral("Hello"));
    EXPECT_EQ(w.editor().Text(), QStringLiteral("Hello"));
    EXPECT_FALSE(w.window.gblnDocSaved);
    EXPECT_EQ(w.window.sbrMain->Panels(QStringLiteral("MainText")).Text(),
              QStringLiteral("Line 1     Pos 6"));
}

TEST(MainWindow, ItsDialogsHaveOnlyACloseButtonInTheirTitleBar)
{
    ShownWindow w;
    frmDateTime dateTime(&w.window);
    frmParagraph paragraph(&w.window);
    frmFind* find = frmFind::instance();
    for (const QWidget* dialog : {static_cast<QWidget*>(&dateTime),
                                  static_cast<QWidget*>(&paragraph), static_cast<QWidget*>(find)}) {
        const Qt::WindowFlags flags = dialog->windowFlags();
        EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint)) << dialog->windowTitle().toStdString();
        EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    }
    find->Unload();
}
