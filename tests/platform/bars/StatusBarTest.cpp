#include "platform/bars/StatusBar.h"
#include "platform/core/Units.h"

#include <QLabel>

#include <gtest/gtest.h>

TEST(StatusBar, PanelsKeepTheirWidthsTheSpringTakesTheRestAndTheLastAreCutOff)
{
    StatusBar bar;
    bar.show();
    bar.addPanel(QStringLiteral("MainText"), StatusPanel::Style::Text, QString(), 9128, true, 2540);
    bar.addPanel(QStringLiteral("FontInfo"), StatusPanel::Style::Text, QString(), 4410);
    bar.addPanel(QStringLiteral("CapsLock"), StatusPanel::Style::CapsLock, QString(), 987);
    auto geometryOf = [&](const char* key) {
        return bar.Panels(QString::fromLatin1(key)).label()->geometry();
    };
    const int font = units::twipsToPixels(4410);
    const int caps = units::twipsToPixels(987);
    const int springMinimum = units::twipsToPixels(2540);

    bar.resize(1000 + font + caps + 8, 30); // margins of 2 and gaps of 2
    EXPECT_EQ(geometryOf("MainText").width(), 1000);
    EXPECT_EQ(geometryOf("FontInfo").width(), font);
    EXPECT_EQ(geometryOf("FontInfo").left(), geometryOf("MainText").right() + 3);
    EXPECT_EQ(geometryOf("CapsLock").right(), bar.width() - 3);

    // Too narrow for all of them: the spring stops at its minimum, nothing is squeezed, and the
    // panels past the right end are cut off there.
    bar.resize(springMinimum + font / 2, 30);
    EXPECT_EQ(geometryOf("MainText").width(), springMinimum);
    EXPECT_EQ(geometryOf("FontInfo").width(), font);
    EXPECT_EQ(geometryOf("CapsLock").width(), caps);
    EXPECT_GT(geometryOf("CapsLock").left(), bar.width());
}
