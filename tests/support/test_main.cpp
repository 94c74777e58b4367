#include <QApplication>
#include <gtest/gtest.h>

// Every test program runs headless with a real QApplication, so widgets, fonts and the clipboard
// behave as they do in the editor.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("wordlark"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
