#include "FormattingFixture.h"

#include "platform/core/Error.h"
#include "platform/rtf/Rtf.h"

#include <QTextDocument>

namespace
{

struct ToggleCase {
    const char* key;
    void (frmRTBEditor::*command)();
    std::optional<bool> (RichTextBox::*read)() const;
    void (RichTextBox::*write)(std::optional<bool>);
};

const ToggleCase Toggles[] = {
    {"Bold", &frmRTBEditor::ToggleBold, &RichTextBox::SelBold, &RichTextBox::setSelBold},
    {"Italic", &frmRTBEditor::ToggleItalic, &RichTextBox::SelItalic, &RichTextBox::setSelItalic},
    {"Underline", &frmRTBEditor::ToggleUnderline, &RichTextBox::SelUnderline,
     &RichTextBox::setSelUnderline},
};

} // namespace

TEST_F(FormattingTest, TogglesSetClearAndUnifyTheSelection)
{
    type(QStringLiteral("one two"));
    for (const ToggleCase& toggle : Toggles) {
        SCOPED_TRACE(toggle.key);
        // Unset: the whole selection takes the attribute and the button shows pressed.
        select(0, 7);
        markSnapshot();
        window.gblnDocSaved = true;
        (window.*toggle.command)();
        EXPECT_EQ((editor().*toggle.read)(), std::optional<bool>(true));
        EXPECT_EQ(button(toggle.key).Value(), 1);
        EXPECT_TRUE(snapshotTaken());
        EXPECT_FALSE(window.gblnDocSaved);

        // Wholly set: cleared, button released.
        (window.*toggle.command)();
        EXPECT_EQ((editor().*toggle.read)(), std::optional<bool>(false));
        EXPECT_EQ(button(toggle.key).Value(), 0);

        // Mixed: the set state goes to every character.
        select(0, 3);
        (editor().*toggle.write)(true);
        select(0, 7);
        ASSERT_EQ((editor().*toggle.read)(), std::nullopt);
        (window.*toggle.command)();
        EXPECT_EQ((editor().*toggle.read)(), std::optional<bool>(true));
        EXPECT_EQ(button(toggle.key).Value(), 1);
        (editor().*toggle.write)(false);
    }
}

TEST_F(FormattingTest, ToggleWithNothingSelectedAppliesToTheTextTypedNext)
{
    type(QStringLiteral("plain "));
    for (const ToggleCase& toggle : Toggles) {
        SCOPED_TRACE(toggle.key);
        editor().setSelStart(editor().Text().size());
        markSnapshot();
        (window.*toggle.command)();
        EXPECT_TRUE(snapshotTaken());
        EXPECT_EQ(button(toggle.key).Value(), 1);
        const long start = editor().SelStart();
        QTest::keyClicks(editor().view(), QStringLiteral("xy"));
        select(start, 2);
        EXPECT_EQ((editor().*toggle.read)(), std::optional<bool>(true));
        select(0, 5);
        EXPECT_EQ((editor().*toggle.read)(), std::optional<bool>(false));
        // Switch it off again for the next attribute.
        editor().setSelStart(editor().Text().size());
        (window.*toggle.command)();
        EXPECT_EQ(button(toggle.key).Value(), 0);
    }
}

TEST_F(FormattingTest, FontDialogConfirmGivesTheWholeSelectionTheDialogsFont)
{
    type(QStringLiteral("mixed fonts"));
    select(0, 5);
    editor().setSelFontName(QStringLiteral("Liberation Serif"));
    editor().setSelFontSize(20);
    editor().setSelCharOffset(100);
    select(0, 11);
    ASSERT_EQ(editor().SelFontName(), std::nullopt);
    window.gblnDocSaved = true;

    window.dlgRTBEditor.Flags = 4100; // left over from a file dialog
    window.dlgRTBEditor.FontName = QStringLiteral("Liberation Sans");
    window.dlgRTBEditor.FontSize = 10.5;
    window.dlgRTBEditor.FontBold = true;
    window.dlgRTBEditor.FontItalic = false;
    window.dlgRTBEditor.FontUnderline = true;
    window.dlgRTBEditor.FontStrikethru = true;
    window.dlgRTBEditor.Color = QColor(0, 128, 0);
    host.answerFont([](FontChoice&) { return true; }); // confirmed untouched
    markSnapshot();
    window.mnuFont_Click();

    EXPECT_TRUE(host.scriptDone());
    EXPECT_EQ(host.last().flags, 771);
    EXPECT_TRUE(window.dlgRTBEditor.CancelError);
    EXPECT_TRUE(snapshotTaken());
    EXPECT_EQ(editor().SelFontName(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(editor().SelFontSize(), 10.5);
    EXPECT_EQ(editor().SelBold(), true);
    EXPECT_EQ(editor().SelItalic(), false);
    EXPECT_EQ(editor().SelUnderline(), true);
    EXPECT_EQ(editor().SelStrikeThru(), true);
    EXPECT_EQ(editor().SelColor(), QColor(0, 128, 0));
    // The baseline offset is not part of the font.
    select(0, 5);
    EXPECT_EQ(editor().SelCharOffset(), 100.0);
    EXPECT_FALSE(window.gblnDocSaved);
}

TEST_F(FormattingTest, CancelledFontAndColorDialogsChangeNothingButTheSnapshot)
{
    type(QStringLiteral("keep me"));
    select(0, 4);
    const QString before = editor().document()->toHtml();

    host.answerFont([](FontChoice& font) {
        font.bold = true; // changed in the dialog, then cancelled
        return false;
    });
    markSnapshot();
    window.mnuFont_Click();
    EXPECT_TRUE(snapshotTaken());

    host.answerColor([](QColor& color) {
        color = Qt::red;
        return false;
    });
    markSnapshot();
    window.SelectColor();
    EXPECT_TRUE(snapshotTaken());

    // No message box was shown (the host fails on any unexpected one).
    EXPECT_EQ(host.count(ScriptedDialogHost::Kind::MessageBox), 0);
    EXPECT_EQ(editor().document()->toHtml(), before);
    EXPECT_TRUE(window.gblnDocSaved);
    EXPECT_EQ(editor().SelStart(), 0);
    EXPECT_EQ(editor().SelLength(), 4);
}

TEST_F(FormattingTest, ColourChosenInTheColourDialogCarriesIntoTheFontDialog)
{
    type(QStringLiteral("red text"));
    select(0, 3);
    host.answerColor([](QColor& color) {
        color = Qt::red;
        return true;
    });
    window.SelectColor();
    EXPECT_EQ(editor().SelColor(), QColor(Qt::red));

    select(4, 4);
    QColor offered;
    host.answerFont([&offered](FontChoice& font) {
        offered = font.color;
        return true;
    });
    window.mnuFont_Click();
    EXPECT_EQ(offered, QColor(Qt::red));
    EXPECT_EQ(editor().SelColor(), QColor(Qt::red));

    // And the font dialog's colour carries back into the next colour dialog, with its flags.
    QColor offeredBack;
    host.answerFont([](FontChoice& font) {
        font.color = Qt::blue;
        return true;
    });
    window.mnuFont_Click();
    host.answerColor([&offeredBack](QColor& color) {
        offeredBack = color;
        return false;
    });
    window.SelectColor();
    EXPECT_EQ(offeredBack, QColor(Qt::blue));
    EXPECT_EQ(host.last().flags, 771);
}

TEST_F(FormattingTest, DialogFailuresShowTheErrorReportUnderTheCommandsTitle)
{
    type(QStringLiteral("text"));
    select(0, 4);
    const auto fail = []() -> bool {
        throw PlatformError(5, QStringLiteral("Invalid procedure call"));
    };
    host.answerFont([fail](FontChoice&) { return fail(); });
    host.answerMessageBox(MsgBoxResult::OK);
    window.mnuFont_Click();
    host.answerColor([fail](QColor&) { return fail(); });
    host.answerMessageBox(MsgBoxResult::OK);
    window.SelectColor();

    ASSERT_EQ(host.count(ScriptedDialogHost::Kind::MessageBox), 2);
    std::vector<QString> titles;
    for (const auto& request : host.requests()) {
        if (request.kind == ScriptedDialogHost::Kind::MessageBox) {
            titles.push_back(request.title);
            EXPECT_TRUE(
                request.text.contains(QStringLiteral("Error # 5 - Invalid procedure call")));
        }
    }
    EXPECT_EQ(titles,
              (std::vector<QString>{QStringLiteral("Font Error"), QStringLiteral("Color Error")}));
}

TEST_F(FormattingTest, SubscriptAndSuperscriptMoveByAQuarterOfTheSize)
{
    type(QStringLiteral("H2O x2"));
    select(1, 1);
    editor().setSelFontSize(10);
    markSnapshot();
    window.mnuSuperscript_Click();
    EXPECT_TRUE(snapshotTaken());
    EXPECT_EQ(editor().SelCharOffset(), 50.0);
    window.mnuSuperscript_Click();
    EXPECT_EQ(editor().SelCharOffset(), 50.0);
    window.mnuSubscript_Click();
    EXPECT_EQ(editor().SelCharOffset(), -50.0);
    EXPECT_FALSE(window.gblnDocSaved);

    // Fractional sizes are not rounded.
    select(5, 1);
    editor().setSelFontSize(10.5);
    window.mnuSuperscript_Click();
    EXPECT_EQ(editor().SelCharOffset(), 52.5);

    // A selection of several sizes is left alone, though the snapshot is still taken.
    select(0, 6);
    editor().setSelFontSize(9);
    select(0, 3);
    editor().setSelFontSize(12);
    select(2, 3);
    window.gblnDocSaved = true;
    markSnapshot();
    window.mnuSuperscript_Click();
    EXPECT_TRUE(snapshotTaken());
    select(2, 1);
    EXPECT_EQ(editor().SelCharOffset(), 0.0);
    select(4, 1);
    EXPECT_EQ(editor().SelCharOffset(), 0.0);
    EXPECT_TRUE(window.gblnDocSaved);
}

TEST_F(FormattingTest, CaseConversionUsesTheFullUnicodeMapping)
{
    const QString text = QStringLiteral("straße ÉCOLE ǅ Ωμέγα Привет 42!");
    editor().setSelText(text);
    window.gblnDocSaved = true;
    select(0, text.size());
    markSnapshot();
    window.mnuUpperCase_Click();
    EXPECT_TRUE(snapshotTaken());
    const QString upper = QStringLiteral("STRASSE ÉCOLE Ǆ ΩΜΈΓΑ ПРИВЕТ 42!");
    EXPECT_EQ(editor().Text(), upper);
    EXPECT_EQ(editor().SelStart(), upper.size());
    EXPECT_EQ(editor().SelLength(), 0);
    EXPECT_FALSE(window.gblnDocSaved);

    select(0, upper.size());
    window.mnuLowercase_Click();
    const QString lower = QStringLiteral("strasse école ǆ ωμέγα привет 42!");
    EXPECT_EQ(editor().Text(), lower);
    EXPECT_EQ(editor().SelStart(), lower.size());
    EXPECT_EQ(editor().SelLength(), 0);
}

TEST_F(FormattingTest, CaseConversionKeepsFormattingParagraphsAndUnselectedText)
{
    type(QStringLiteral("keep Bold word"));
    QTest::keyClick(editor().view(), Qt::Key_Return);
    QTest::keyClicks(editor().view(), QStringLiteral("Next line"));
    select(5, 4);
    editor().setSelBold(true);
    select(5, 14); // "Bold word\nNext"
    window.mnuUpperCase_Click();
    EXPECT_EQ(editor().Text(), QStringLiteral("keep BOLD WORD\nNEXT line"));
    EXPECT_EQ(editor().document()->blockCount(), 2);
    EXPECT_EQ(editor().SelStart(), 19);
    select(5, 4);
    EXPECT_EQ(editor().SelBold(), true);
    select(10, 4);
    EXPECT_EQ(editor().SelBold(), false);

    // Nothing selected: nothing changes.
    editor().setSelStart(2);
    window.gblnDocSaved = true;
    markSnapshot();
    window.mnuLowercase_Click();
    EXPECT_TRUE(snapshotTaken());
    EXPECT_EQ(editor().Text(), QStringLiteral("keep BOLD WORD\nNEXT line"));
    EXPECT_TRUE(window.gblnDocSaved);
}

TEST_F(FormattingTest, UndoAfterACancelledFontDialogRestoresTheDocumentAsItStood)
{
    type(QStringLiteral("first"));
    select(0, 5);
    window.ToggleBold();
    host.answerFont([](FontChoice&) { return false; });
    window.mnuFont_Click();
    window.mnuUndo_Click();
    // The snapshot was retaken by the cancelled dialog: the bold stays.
    EXPECT_EQ(editor().Text(), QStringLiteral("first"));
    select(0, 5);
    EXPECT_EQ(editor().SelBold(), true);
}
