#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Every test program runs headless with a real QApplication, so widgets, fonts and the clipboard
// behave as they do in the editor.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The editor windows under test keep their recovery copies in a folder of this run, never in
    // the user's own state folder.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("wordlark"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
