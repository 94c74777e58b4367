#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

struct RunResult {
    int status;
    QString out;
    QString err;
};

RunResult runWordlark(const QStringList& arguments, bool withoutDisplay = false)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (withoutDisplay) {
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    }
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(WORDLARK_BINARY), arguments);
    process.waitForFinished(30000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

TEST(CommandLine, HelpVersionAndNoDisplay)
{
    const RunResult version = runWordlark({QStringLiteral("--version")}, true);
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("wordlark ")));

    const RunResult help = runWordlark({QStringLiteral("--help")}, true);
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("--convert")));

    const RunResult noDisplay = runWordlark({}, true);
    EXPECT_EQ(noDisplay.status, 1) << "no abort, no core dump";
    EXPECT_EQ(noDisplay.err.count(QLatin1Char('\n')), 1) << noDisplay.err.toStdString();
    EXPECT_TRUE(noDisplay.err.contains(QStringLiteral("display")));
}

TEST(CommandLine, ConvertsWithoutADisplayAndReportsFailuresOnOneLine)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.rtf"));
    QFile file(in);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\\rtf1\\ansi {\\b Bold} and \\u233? accent\\par}");
    file.close();
    const QString out = dir.filePath(QStringLiteral("out.txt"));

    const RunResult ok = runWordlark({QStringLiteral("--convert"), in, out}, true);
    EXPECT_EQ(ok.status, 0) << ok.err.toStdString();
    QFile result(out);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_TRUE(
        QString::fromUtf8(result.readAll()).startsWith(QStringLiteral("Bold and é accent")));

    const QString missing = dir.filePath(QStringLiteral("missing.rtf"));
    const QString notWritten = dir.filePath(QStringLiteral("never.txt"));
    const RunResult failed = runWordlark({QStringLiteral("--convert"), missing, notWritten}, true);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err.count(QLatin1Char('\n')), 1) << failed.err.toStdString();
    EXPECT_TRUE(failed.err.contains(missing));
    EXPECT_FALSE(QFile::exists(notWritten));
}
