// Find Next over a large document that holds no match, and Replace All making 100,000
// replacements, both through the real main window and dialog.
#include "find/frmFind.h"
#include "find/modFind.h"
#include "platform/control/RichTextBox.h"
#include "platform/dialogs/DialogHost.h"
#include "shell/frmRTBEditor.h"

#include <QApplication>
#include <QLineEdit>
#include <QTextDocument>
#include <benchmark/benchmark.h>

namespace
{

// Answers every message box with OK or No, without showing anything.
class SilentHost : public DialogHost
{
public:
    int messageBox(const QString&, int style, const QString&) override
    {
        return (style & MsgBoxStyle::ButtonsMask) == MsgBoxStyle::YesNo ? MsgBoxResult::No
                                                                        : MsgBoxResult::OK;
    }
    bool showFileDialog(FileDialogRequest&) override { return false; }
    bool showFontDialog(FontChoice&, long) override { return false; }
    bool showColorDialog(QColor&, long) override { return false; }
    bool showPrintDialog(PrintRequest&, QPrinter&) override { return false; }
};

// About 1,000 pages: 3 million characters in paragraphs of about 1,500, with `marked` words
// "needle" spread evenly among them.
QString largeDocument(int marked, int Length = 3'000'000)
{
    const QString filler = QStringLiteral("lorem ipsum dolor sit amet ");
    QString text;
    text.reserve(Length + 100);
    const int every = marked > 0 ? Length / marked : Length;
    int nextMark = 0;
    int paragraph = 0;
    while (text.size() < Length) {
        if (marked > 0 && text.size() >= nextMark) {
            text += QStringLiteral("needle ");
            nextMark += every;
        } else {
            text += filler;
        }
        if (text.size() - paragraph > 1500) {
            text += QLatin1Char('\n');
            paragraph = static_cast<int>(text.size());
        }
    }
    return text;
}

struct Session {
    SilentHost host;
    frmRTBEditor window;
    Session()
    {
        DialogHost::install(&host);
        window.show();
    }
    ~Session() { DialogHost::install(nullptr); }
};

void BM_FindNextWithoutMatch(benchmark::State& state)
{
    Session session;
    session.window.rtbEditor->document()->setPlainText(largeDocument(0));
    gstrFindWhat = QStringLiteral("needle");
    gblnMatchCase = state.range(0) & 4;
    gblnWholeWord = state.range(0) & 2;
    for (auto _ : state) {
        glngFindStart = 0;
        gblnReplaceAll = true; // no prompt in the measurement
        SearchDocument();
        gblnReplaceAll = false;
        benchmark::DoNotOptimize(gblnFound);
    }
}
BENCHMARK(BM_FindNextWithoutMatch)->Arg(0)->Arg(6)->Unit(benchmark::kMillisecond);

void BM_ReplaceAll(benchmark::State& state)
{
    Session session;
    const int replacements = static_cast<int>(state.range(0));
    const QString text = largeDocument(replacements, replacements * 30);
    for (auto _ : state) {
        state.PauseTiming();
        session.window.rtbEditor->document()->setPlainText(text);
        session.window.mnuReplace_Click();
        frmFind* dialog = frmFind::instance(false);
        dialog->txtFindWhat->setText(QStringLiteral("needle"));
        dialog->txtReplaceWith->setText(QStringLiteral("pin"));
        QApplication::processEvents();
        state.ResumeTiming();
        dialog->cmdReplaceAll_Click();
        state.PauseTiming();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReplaceAll)->Arg(2'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
