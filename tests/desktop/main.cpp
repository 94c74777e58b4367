#include <QCoreApplication>
#include <gtest/gtest.h>

// The desktop tests need no window of their own: they start X, a window manager and the program,
// and drive them through command-line tools.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
