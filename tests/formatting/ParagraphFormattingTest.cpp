#include "FormattingFixture.h"

#include "formatting/frmParagraph.h"
#include "platform/core/Units.h"
#include "shell/modForm.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTimer>

#include <functional>

namespace
{

QRect twipsRect(float left, float top, float width, float height)
{
    return {units::twipsToPixels(left), units::twipsToPixels(top), units::twipsToPixels(width),
            units::twipsToPixels(height)};
}

// Runs `drive` on the Paragraph dialog once it is shown modally by `show`.
void withParagraphDialog(const std::function<void(frmParagraph&)>& drive,
                         const std::function<void()>& show)
{
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<frmParagraph*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "the Paragraph dialog is not shown";
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        driven = true;
        drive(*dialog);
    });
    show();
    EXPECT_TRUE(driven);
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmParagraph")));
}

} // namespace

TEST_F(FormattingTest, AlignmentButtonsFormOneGroupThroughRealClicks)
{
    type(QStringLiteral("a paragraph"));
    ToolbarButton& left = button("AlignLeft");
    ToolbarButton& center = button("AlignCenter");
    ToolbarButton& right = button("AlignRight");
    ASSERT_EQ(left.Value(), 1);

    markSnapshot();
    QTest::mouseClick(center.widget(), Qt::LeftButton);
    EXPECT_EQ(editor().SelAlignment(), RichTextBox::rtfCenter);
    EXPECT_EQ(std::make_tuple(left.Value(), center.Value(), right.Value()),
              std::make_tuple(0, 1, 0));
    EXPECT_TRUE(snapshotTaken());
    EXPECT_FALSE(window.gblnDocSaved);

    QTest::mouseClick(right.widget(), Qt::LeftButton);
    EXPECT_EQ(editor().SelAlignment(), RichTextBox::rtfRight);
    // Right again on a right-aligned paragraph keeps it pressed and retakes the snapshot.
    markSnapshot();
    QTest::mouseClick(right.widget(), Qt::LeftButton);
    EXPECT_EQ(editor().SelAlignment(), RichTextBox::rtfRight);
    EXPECT_EQ(std::make_tuple(left.Value(), center.Value(), right.Value()),
              std::make_tuple(0, 0, 1));
    EXPECT_TRUE(snapshotTaken());
    EXPECT_TRUE(right.widget()->isChecked());
    EXPECT_FALSE(center.widget()->isChecked());

    window.SelectAlignLeft();
    EXPECT_EQ(editor().SelAlignment(), RichTextBox::rtfLeft);
    EXPECT_EQ(std::make_tuple(left.Value(), center.Value(), right.Value()),
              std::make_tuple(1, 0, 0));
}

TEST_F(FormattingTest, BulletsToggleAndBehaveAsAList)
{
    type(QStringLiteral("one"));
    QTest::keyClick(editor().view(), Qt::Key_Return);
    QTest::keyClicks(editor().view(), QStringLiteral("two"));
    window.gblnDocSaved = true;

    editor().setSelStart(0);
    markSnapshot();
    window.mnuBullets_Click();
    EXPECT_TRUE(snapshotTaken());
    EXPECT_EQ(editor().SelBullet(), true);
    EXPECT_EQ(button("Bullets").Value(), 1);
    EXPECT_FALSE(window.gblnDocSaved);
    const QTextBlock first = editor().document()->firstBlock();
    ASSERT_NE(first.textList(), nullptr);
    EXPECT_EQ(first.textList()->format().style(), QTextListFormat::ListDisc);

    // Mixed: every selected paragraph gets bullets.
    select(0, 5);
    ASSERT_EQ(editor().SelBullet(), std::nullopt);
    window.ToggleBullets();
    EXPECT_EQ(editor().SelBullet(), true);
    EXPECT_EQ(button("Bullets").Value(), 1);
    const QTextBlock second = first.next();
    ASSERT_NE(second.textList(), nullptr);
    EXPECT_EQ(second.textList()->format().style(), QTextListFormat::ListDisc);

    // Enter at the end of a bulleted paragraph continues the list.
    editor().setSelStart(editor().Text().size());
    QTest::keyClick(editor().view(), Qt::Key_Return);
    QTest::keyClicks(editor().view(), QStringLiteral("three"));
    const QTextBlock third = editor().document()->lastBlock();
    EXPECT_EQ(third.text(), QStringLiteral("three"));
    EXPECT_EQ(third.textList(), second.textList());

    // Wholly bulleted: bullets come off, button released.
    select(0, editor().Text().size());
    window.ToggleBullets();
    EXPECT_EQ(editor().SelBullet(), false);
    EXPECT_EQ(button("Bullets").Value(), 0);
    EXPECT_EQ(editor().document()->firstBlock().textList(), nullptr);
}

TEST_F(FormattingTest, ParagraphDialogHasItsLayoutAndAlignsOnOK)
{
    type(QStringLiteral("centre me"));
    window.SelectAlignCenter();
    window.gblnDocSaved = true;
    markSnapshot();

    withParagraphDialog(
        [](frmParagraph& dialog) {
            EXPECT_TRUE(IsFormLoaded(QStringLiteral("frmParagraph")));
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Paragraph"));
            EXPECT_EQ(dialog.size(), QSize(units::twipsToPixels(5010), units::twipsToPixels(1290)));
            EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
            EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
            EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
            EXPECT_EQ(dialog.Label1->text(), QStringLiteral("Alignment:"));
            EXPECT_EQ(dialog.Label1->geometry(), twipsRect(180, 180, 975, 255));
            EXPECT_EQ(dialog.cboAlignment->geometry(), twipsRect(1200, 180, 2235, 315));
            EXPECT_EQ(dialog.cmdOK->geometry(), twipsRect(3600, 120, 1275, 435));
            EXPECT_EQ(dialog.cmdCancel->geometry(), twipsRect(3600, 660, 1275, 435));
            EXPECT_FALSE(dialog.cboAlignment->isEditable());
            const QStringList items{dialog.cboAlignment->itemText(0),
                                    dialog.cboAlignment->itemText(1),
                                    dialog.cboAlignment->itemText(2)};
            EXPECT_EQ(dialog.cboAlignment->count(), 3);
            EXPECT_EQ(items, QStringList({"Left", "Center", "Right"}));
            // Opens on "Left" whatever the document's alignment.
            EXPECT_EQ(dialog.cboAlignment->currentText(), QStringLiteral("Left"));
            EXPECT_TRUE(dialog.cmdOK->isDefault());
            // Tab order: list, OK, Cancel; the label takes no focus.
            EXPECT_EQ(dialog.focusWidget(), dialog.cboAlignment);
            EXPECT_EQ(dialog.cboAlignment->nextInFocusChain(), dialog.cmdOK);
            EXPECT_EQ(dialog.cmdOK->nextInFocusChain(), dialog.cmdCancel);
            EXPECT_EQ(dialog.Label1->focusPolicy(), Qt::NoFocus);
            // Enter presses OK.
            QTest::keyClick(&dialog, Qt::Key_Return);
        },
        [this] { window.mnuParagraph_Click(); });

    EXPECT_EQ(editor().SelAlignment(), RichTextBox::rtfLeft);
    EXPECT_EQ(button("AlignLeft").Value(), 1);
    EXPECT_EQ(button("AlignCenter").Value(), 0);
    EXPECT_FALSE(window.gblnDocSaved);
    EXPECT_TRUE(snapshotTaken());
}

TEST_F(FormattingTest, ParagraphDialogAppliesTheChosenAlignment)
{
    type(QStringLiteral("text"));
    const std::pair<int, int> choices[] = {{2, RichTextBox::rtfRight}, {1, RichTextBox::rtfCenter}};
    for (const auto& [index, alignment] : choices) {
        withParagraphDialog(
            [index = index](frmParagraph& dialog) {
                dialog.cboAlignment->setCurrentIndex(index);
                QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
            },
            [this] { window.mnuParagraph->trigger(); });
        EXPECT_EQ(editor().SelAlignment(), alignment);
    }
}

TEST_F(FormattingTest, ParagraphDialogCancelEscAndCloseBoxChangeNothing)
{
    type(QStringLiteral("stay left"));
    const std::function<void(frmParagraph&)> ways[] = {
        [](frmParagraph& dialog) {
            dialog.cboAlignment->setCurrentIndex(1);
            QTest::mouseClick(dialog.cmdCancel, Qt::LeftButton);
        },
        [](frmParagraph& dialog) {
            dialog.cboAlignment->setCurrentIndex(2);
            QTest::keyClick(&dialog, Qt::Key_Escape);
        },
        [](frmParagraph& dialog) {
            dialog.cboAlignment->setCurrentIndex(1);
            dialog.close();
        },
    };
    for (const auto& way : ways) {
        window.gblnDocSaved = true;
        markSnapshot();
        withParagraphDialog(way, [this] { window.mnuParagraph_Click(); });
        EXPECT_EQ(editor().SelAlignment(), RichTextBox::rtfLeft);
        EXPECT_FALSE(snapshotTaken());
        EXPECT_TRUE(window.gblnDocSaved);
    }
}
