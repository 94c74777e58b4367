#include "app/CommandLine.h"

#include "app/Converter.h"
#include "platform/core/DisplayCheck.h"
#include "shell/frmRTBEditor.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>

namespace
{

// No display name is set: on X11 Qt appends it to every window title, and the titles are the
// program's captions exactly.
void describeApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("wordlark"));
    QCoreApplication::setApplicationVersion(QStringLiteral(WORDLARK_VERSION));
    QCoreApplication::setOrganizationDomain(QStringLiteral("wordlark.org"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.wordlark.Wordlark"));
}

const QCommandLineOption& convertOption()
{
    static const QCommandLineOption option(
        QStringList{QStringLiteral("convert")},
        QStringLiteral("Convert IN to OUT without a window. IN is RTF when its name ends in .rtf, "
                       "otherwise plain text; OUT's extension (.rtf, .txt, .html, .odt, .md) picks "
                       "the format."),
        QStringLiteral("IN"));
    return option;
}

void setUpParser(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Wordlark, a rich-text word processor for RTF and plain-text documents."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(convertOption());
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("The document to open (.rtf is RTF, any other "
                                                "name plain text)."),
                                 QStringLiteral("[file]"));
}

// `--convert IN OUT` anywhere on the command line.
bool wantsConversion(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--convert")
            return true;
    }
    return false;
}

// Converts without a window: needs no display, so the offscreen platform stands in for one.
int runConverter(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The converter reports on stderr with one line of its own; the toolkit's chatter stays out.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QGuiApplication app(argc, argv);
    describeApplication();
    QCommandLineParser parser;
    setUpParser(parser);
    parser.process(app);
    const QStringList rest = parser.positionalArguments();
    QTextStream err(stderr);
    if (rest.size() != 1) {
        err << "wordlark: --convert needs an input and an output file: --convert IN OUT\n";
        return EXIT_FAILURE;
    }
    return runConversion(parser.value(convertOption()), rest.constFirst(), err);
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
    if (wantsConversion(argc, argv))
        return runConverter(argc, argv);
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
    // Work an earlier run left unsaved is offered back before the file asked for is opened.
    window.OfferRecovery();
    if (!parser.positionalArguments().isEmpty())
        window.OpenFileFromCommandLine(
            QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath());
    return app.exec();
}
