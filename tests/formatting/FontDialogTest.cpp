#include "platform/dialogs/FontDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace
{

FontChoice someFont()
{
    FontChoice font;
    font.name = QStringLiteral("Liberation Serif");
    font.size = 10.5;
    font.bold = true;
    font.italic = false;
    font.underline = true;
    font.strikethru = false;
    font.color = QColor(200, 0, 0);
    return font;
}

} // namespace

TEST(FontDialog, OffersEffectsAndApplyByFlagsAndReturnsWhatItShows)
{
    FontDialog dialog(someFont(), 0x303);
    EXPECT_FALSE(dialog.underline()->isHidden());
    EXPECT_FALSE(dialog.strikeout()->isHidden());
    EXPECT_FALSE(dialog.colorButton()->isHidden());
    ASSERT_NE(dialog.applyButton(), nullptr);

    // Untouched, the dialog hands back what it was given.
    FontChoice chosen = dialog.choice();
    EXPECT_EQ(chosen.size, 10.5);
    EXPECT_TRUE(chosen.bold);
    EXPECT_FALSE(chosen.italic);
    EXPECT_TRUE(chosen.underline);
    EXPECT_FALSE(chosen.strikethru);
    EXPECT_EQ(chosen.color, QColor(200, 0, 0));
    EXPECT_FALSE(chosen.name.isEmpty());

    dialog.strikeout()->setChecked(true);
    dialog.italic()->setChecked(true);
    dialog.fontSize()->setEditText(QStringLiteral("14"));
    dialog.setColor(Qt::blue);
    chosen = dialog.choice();
    EXPECT_TRUE(chosen.strikethru);
    EXPECT_TRUE(chosen.italic);
    EXPECT_EQ(chosen.size, 14.0);
    EXPECT_EQ(chosen.color, QColor(Qt::blue));

    // Apply neither closes the dialog nor changes anything.
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.applyButton()->click();
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(dialog.choice().size, 14.0);
}

TEST(FontDialog, WithoutEffectsPassesThemThroughAndHasNoApply)
{
    FontDialog dialog(someFont(), 0x3);
    EXPECT_TRUE(dialog.underline()->isHidden());
    EXPECT_TRUE(dialog.colorButton()->isHidden());
    EXPECT_EQ(dialog.applyButton(), nullptr);
    const FontChoice chosen = dialog.choice();
    EXPECT_TRUE(chosen.underline);
    EXPECT_EQ(chosen.color, QColor(200, 0, 0));

    // A size that is not a number falls back to a usable one.
    dialog.fontSize()->setEditText(QString());
    EXPECT_GT(dialog.choice().size, 0.0);
}
