#include "app/CommandLine.h"

#include "platform/DisplayCheck.h"
#include "shell/frmRTBEditor.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

namespace {

void describeApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("wordlark"));
    QCoreApplication::setApplicationVersion(QStringLiteral(WORDLARK_VERSION));
    QCoreApplication::setOrganizationDomain(QStringLiteral("wordlark.org"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Wordlark"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.wordlark.Wordlark"));
}

void setUpParser(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Wordlark, a rich-text word processor for RTF and plain-text documents."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("The document to open (.rtf is RTF, any other "
                                                "name plain text)."),
                                 QStringLiteral("[file]"));
}

bool wantsOnlyInformation(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-v" ||
            arg == "--version")
            return true;
    }
    return false;
}

int runInformation(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    describeApplication();
    QCommandLineParser parser;
    setUpParser(parser);
    parser.process(app); // prints and exits
    return 0;
}

} // namespace

int runWordlark(int argc, char** argv)
{
    if (wantsOnlyInformation(argc, argv))
        return runInformation(argc, argv);
    if (!windowingSystemReachable()) {
        std::fputs("wordlark: cannot start: no display is available (is DISPLAY set?)\n", stderr);
        return EXIT_FAILURE;
    }
    QApplication app(argc, argv);
    describeApplication();
    QCommandLineParser parser;
    setUpParser(parser);
    parser.process(app);

    frmRTBEditor window;
    window.show();
    if (!parser.positionalArguments().isEmpty())
        window.OpenFileFromCommandLine(
            QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath());
    return app.exec();
}
