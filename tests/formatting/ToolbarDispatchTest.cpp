#include "FormattingFixture.h"

#include <QAction>
#include <QToolButton>

TEST_F(FormattingTest, ToolbarButtonsRunTheirCommands)
{
    type(QStringLiteral("Toolbar Text"));
    select(0, 7);

    QTest::mouseClick(button("Bold").widget(), Qt::LeftButton);
    EXPECT_EQ(editor().SelBold(), true);
    EXPECT_EQ(button("Bold").Value(), 1);
    EXPECT_TRUE(button("Bold").widget()->isChecked());
    QTest::mouseClick(button("Italic").widget(), Qt::LeftButton);
    EXPECT_EQ(editor().SelItalic(), true);
    QTest::mouseClick(button("Underline").widget(), Qt::LeftButton);
    EXPECT_EQ(editor().SelUnderline(), true);
    QTest::mouseClick(button("Superscript").widget(), Qt::LeftButton);
    EXPECT_EQ(editor().SelCharOffset(), 45.0); // 9 points
    QTest::mouseClick(button("Subscript").widget(), Qt::LeftButton);
    EXPECT_EQ(editor().SelCharOffset(), -45.0);
    QTest::mouseClick(button("Uppercase").widget(), Qt::LeftButton);
    EXPECT_EQ(editor().Text(), QStringLiteral("TOOLBAR Text"));
    select(0, 7);
    QTest::mouseClick(button("Lowercase").widget(), Qt::LeftButton);
    EXPECT_EQ(editor().Text(), QStringLiteral("toolbar Text"));
    QTest::mouseClick(button("Bullets").widget(), Qt::LeftButton);
    EXPECT_EQ(editor().SelBullet(), true);
    QTest::mouseClick(button("AlignRight").widget(), Qt::LeftButton);
    EXPECT_EQ(editor().SelAlignment(), RichTextBox::rtfRight);

    host.answerColor([](QColor& color) {
        color = Qt::darkCyan;
        return true;
    });
    select(8, 4);
    QTest::mouseClick(button("Color").widget(), Qt::LeftButton);
    EXPECT_EQ(editor().SelColor(), QColor(Qt::darkCyan));
    // Font cancelled from the toolbar: silent, nothing changed.
    host.answerFont([](FontChoice&) { return false; });
    QTest::mouseClick(button("Font").widget(), Qt::LeftButton);
    EXPECT_TRUE(host.scriptDone());
    EXPECT_EQ(host.count(ScriptedDialogHost::Kind::MessageBox), 0);
    EXPECT_EQ(editor().SelColor(), QColor(Qt::darkCyan));
}

TEST_F(FormattingTest, KeysMatchExactlyAndUnknownKeysDoNothing)
{
    type(QStringLiteral("case"));
    select(0, 4);
    for (const char* key : {"bold", "BOLD", "Bold ", "font", "Align Left", "", "Separator"}) {
        SCOPED_TRACE(key);
        QToolButton widget;
        ToolbarButton stranger(QString::fromLatin1(key), ToolbarButton::Style::Default, &widget,
                               nullptr);
        markSnapshot();
        window.tbrFormatting_ButtonClick(&stranger);
        EXPECT_FALSE(snapshotTaken());
    }
    window.tbrFormatting_ButtonClick(nullptr);
    EXPECT_EQ(editor().SelBold(), false);
    EXPECT_TRUE(window.gblnDocSaved);
    EXPECT_TRUE(host.requests().empty());
}

TEST_F(FormattingTest, FormatMenuItemsRunTheirCommands)
{
    type(QStringLiteral("menu"));
    select(0, 4);
    window.mnuUpperCase->trigger();
    EXPECT_EQ(editor().Text(), QStringLiteral("MENU"));
    select(0, 4);
    window.mnuLowercase->trigger();
    EXPECT_EQ(editor().Text(), QStringLiteral("menu"));
    select(0, 4);
    window.mnuSuperscript->trigger();
    EXPECT_EQ(editor().SelCharOffset(), 45.0);
    window.mnuSubscript->trigger();
    EXPECT_EQ(editor().SelCharOffset(), -45.0);
    window.mnuBullets->trigger();
    EXPECT_EQ(editor().SelBullet(), true);
    host.answerFont([](FontChoice& font) {
        font.name = QStringLiteral("Liberation Mono");
        font.size = 14;
        return true;
    });
    window.mnuFont->trigger();
    EXPECT_EQ(editor().SelFontName(), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(editor().SelFontSize(), 14.0);
    EXPECT_TRUE(host.scriptDone());
}

TEST(StandardToolbar, ButtonsRunTheirCommandsAndDisabledOnesRaiseNoClick)
{
    frmRTBEditor window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ScriptedDialogHost host;

    // Save on a never-saved document opens Save As.
    host.answerSave(QString());
    QTest::mouseClick(window.tbrStandard->Buttons(QStringLiteral("Save")).widget(), Qt::LeftButton);
    EXPECT_EQ(host.last().kind, ScriptedDialogHost::Kind::SaveFile);
    EXPECT_EQ(host.last().file.fileName, QStringLiteral("Untitled"));

    // Cut is disabled with nothing selected: a click runs nothing.
    window.rtbEditor->setSelText(QStringLiteral("text"));
    window.UpdateEditCommands();
    ToolbarButton& cut = window.tbrStandard->Buttons(QStringLiteral("Cut"));
    EXPECT_FALSE(cut.Enabled());
    QTest::mouseClick(cut.widget(), Qt::LeftButton);
    EXPECT_EQ(window.rtbEditor->Text(), QStringLiteral("text"));

    window.rtbEditor->setSelStart(0);
    window.rtbEditor->setSelLength(2);
    window.UpdateEditCommands();
    QTest::mouseClick(cut.widget(), Qt::LeftButton);
    EXPECT_EQ(window.rtbEditor->Text(), QStringLiteral("xt"));
}
