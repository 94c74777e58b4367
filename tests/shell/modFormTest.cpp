#include "shell/modForm.h"
#include "platform/dialogs/Forms.h"

#include <QDialog>
#include <QTest>
#include <gtest/gtest.h>

TEST(WindowUtilities, CentringKeepsHalfTwipsAndGoesNegativeForLargeWindows)
{
    EXPECT_EQ(centeredPosition({15000, 9000}, {5001, 3001}), QPointF(4999.5, 2999.5));
    const QPointF large = centeredPosition({15000, 9000}, {16000, 10000});
    EXPECT_EQ(large, QPointF(-500, -500));
}

TEST(WindowUtilities, CenterFormPlacesTheWindowInTheMiddleOfTheScreen)
{
    QDialog dialog;
    dialog.resize(301, 201);
    CenterForm(&dialog);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_NEAR(dialog.x() + dialog.width() / 2.0, screen.width() / 2.0, 1.0);
    EXPECT_NEAR(dialog.y() + dialog.height() / 2.0, screen.height() / 2.0, 1.0);
    EXPECT_FLOAT_EQ(formLeft(&dialog) * 2, (screen.width() - 301) * 15.0f);
}

TEST(WindowUtilities, IsFormLoadedMatchesExactNamesOfLoadedForms)
{
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmFind")));
    {
        QDialog hidden;
        FormRegistration registration(&hidden, QStringLiteral("frmFind"));
        EXPECT_TRUE(IsFormLoaded(QStringLiteral("frmFind"))) << "loaded and hidden counts";
        EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmfind")));
    }
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmFind"))) << "an unloaded form is gone";
}

TEST(WindowUtilities, SetTopmostShowsAHiddenWindowWithoutMovingIt)
{
    QDialog dialog;
    dialog.setGeometry(100, 120, 200, 100);
    SetTopmost(&dialog, false);
    EXPECT_TRUE(dialog.isVisible());
    SetTopmost(&dialog, true);
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.size(), QSize(200, 100));
    SetTopmost(&dialog, false);
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}
