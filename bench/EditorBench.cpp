// The editor's commands on the 1,000-page benchmark document: the undo snapshot, Undo, Open and
// Save, formatting, per-keystroke work, the recovery copy, Copy and Paste.
#include "DocumentGenerator.h"

#include "platform/control/RichTextBox.h"
#include "platform/control/RichTextView.h"
#include "platform/control/ShiftedTextLayout.h"
#include "shell/DocumentRecovery.h"
#include "shell/frmRTBEditor.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>
#include <benchmark/benchmark.h>

#include <memory>

namespace
{

// One shown main window holding the benchmark document, shared by the benchmarks.
struct Workbench {
    QTemporaryDir dir;
    frmRTBEditor window;
    QString rtfPath = dir.filePath(QStringLiteral("benchmark.rtf"));
    QString libreOfficePath = dir.filePath(QStringLiteral("libreoffice.rtf"));

    Workbench()
    {
        writeFile(rtfPath, bench::generateBenchmarkRtf());
        writeFile(libreOfficePath, bench::generateLibreOfficeStyleRtf());
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
        window.LoadDocument(rtfPath);
        settle();
    }
    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    static void settle() { QCoreApplication::processEvents(); }
    RichTextBox& editor() { return *window.rtbEditor; }
    // Finishes the layout that follows opening a document; in the window it runs in the
    // background and ends within a second.
    void finishLayout()
    {
        if (auto* layout = qobject_cast<ShiftedTextLayout*>(editor().document()->documentLayout()))
            layout->layOutWholeDocument();
        settle();
    }
    // Selects a word in the middle of the document.
    void selectMiddleWord()
    {
        editor().setSelStart(editor().document()->characterCount() / 2);
        editor().setSelLength(6);
    }
};

Workbench& workbench()
{
    static auto* instance = new Workbench;
    return *instance;
}

void report(benchmark::State& state)
{
    state.SetLabel(QStringLiteral("%1 characters")
                       .arg(workbench().editor().document()->characterCount())
                       .toStdString());
}

void BM_TakeUndoSnapshot(benchmark::State& state)
{
    Workbench& w = workbench();
    for (auto _ : state)
        w.window.TakeUndoSnapshot();
    report(state);
}
BENCHMARK(BM_TakeUndoSnapshot)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_UndoExchange(benchmark::State& state)
{
    Workbench& w = workbench();
    w.window.TakeUndoSnapshot();
    for (auto _ : state) {
        w.window.mnuUndo_Click();
        w.settle();
    }
    report(state);
}
BENCHMARK(BM_UndoExchange)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

void BM_OpenLibreOfficeRtfUntilShown(benchmark::State& state)
{
    Workbench& w = workbench();
    for (auto _ : state) {
        w.window.LoadDocument(w.libreOfficePath);
        w.settle();
        QTest::keyClick(w.editor().view(), Qt::Key_End);
    }
    report(state);
    w.window.LoadDocument(w.rtfPath);
}
BENCHMARK(BM_OpenLibreOfficeRtfUntilShown)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

void BM_Save(benchmark::State& state)
{
    Workbench& w = workbench();
    w.window.m_sFileName = w.dir.filePath(QStringLiteral("saved.rtf"));
    for (auto _ : state)
        w.window.mnuSave_Click();
    report(state);
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

template <void (frmRTBEditor::*Command)()> void BM_FormattingCommand(benchmark::State& state)
{
    Workbench& w = workbench();
    w.selectMiddleWord();
    for (auto _ : state) {
        (w.window.*Command)();
        w.settle();
    }
    report(state);
}
BENCHMARK(BM_FormattingCommand<&frmRTBEditor::ToggleBold>)
    ->Name("BM_FormattingCommand/ToggleBold")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK(BM_FormattingCommand<&frmRTBEditor::SelectAlignCenter>)
    ->Name("BM_FormattingCommand/SelectAlignCenter")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK(BM_FormattingCommand<&frmRTBEditor::ToggleBullets>)
    ->Name("BM_FormattingCommand/ToggleBullets")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK(BM_FormattingCommand<&frmRTBEditor::mnuSuperscript_Click>)
    ->Name("BM_FormattingCommand/Superscript")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

void BM_StatusAfterCaretMove(benchmark::State& state)
{
    Workbench& w = workbench();
    const long middle = w.editor().document()->characterCount() / 2;
    long offset = 0;
    for (auto _ : state) {
        w.editor().setSelStart(middle + (offset++ % 50)); // raises SelChange: buttons and panels
    }
    report(state);
}
BENCHMARK(BM_StatusAfterCaretMove)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

// Typing into the laid-out document: each character typed and the window brought up to date.
void typeCharacters(benchmark::State& state, Workbench& w)
{
    w.editor().view()->setFocus();
    for (auto _ : state) {
        QTest::keyClick(w.editor().view(), Qt::Key_A);
        w.settle();
    }
    report(state);
}

void BM_TypeCharacter(benchmark::State& state)
{
    Workbench& w = workbench();
    w.finishLayout();
    w.editor().setSelStart(w.editor().document()->characterCount() / 2);
    typeCharacters(state, w);
}
BENCHMARK(BM_TypeCharacter)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// The same inside a table cell in the middle of the document.
void BM_TypeCharacterInTableCell(benchmark::State& state)
{
    Workbench& w = workbench();
    w.finishLayout();
    QTextDocument& document = *w.editor().document();
    const QList<QTextFrame*> tables = document.rootFrame()->childFrames();
    auto* table = tables.isEmpty() ? nullptr : qobject_cast<QTextTable*>(tables[tables.size() / 2]);
    if (!table) {
        state.SkipWithError("the benchmark document has no tables");
        return;
    }
    w.editor().setSelStart(table->cellAt(1, 0).lastPosition());
    typeCharacters(state, w);
}
BENCHMARK(BM_TypeCharacterInTableCell)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

// Typing in the middle of the document right after opening it, while the layout of the rest
// still runs in the background. The background steps wait while keys come in quick succession,
// so this is the keystroke alone; a key that comes during a step waits for it (about 3 ms).
void BM_TypeCharacterRightAfterOpen(benchmark::State& state)
{
    Workbench& w = workbench();
    w.window.LoadDocument(w.rtfPath);
    w.settle();
    w.editor().setSelStart(w.editor().document()->characterCount() / 2);
    typeCharacters(state, w);
    w.finishLayout();
}
BENCHMARK(BM_TypeCharacterRightAfterOpen)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

// One recovery copy: the work on the interface thread (the document made into RTF and handed to
// the writing thread) is timed; the write itself, on its own thread, is waited for untimed.
void BM_RecoveryCopyInterfaceThread(benchmark::State& state)
{
    Workbench& w = workbench();
    RecoveryKeeper& keeper = *w.window.m_recovery;
    for (auto _ : state) {
        keeper.writeNow();
        state.PauseTiming();
        keeper.copy().waitForPendingWork();
        state.ResumeTiming();
    }
    keeper.discard();
    keeper.copy().waitForPendingWork();
    report(state);
}
BENCHMARK(BM_RecoveryCopyInterfaceThread)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);

// The same per-keystroke work on one line of 100,000 characters.
struct LongLine {
    frmRTBEditor window;
    LongLine()
    {
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
        QString line;
        for (int i = 0; line.size() < 100000; ++i)
            line += QStringLiteral("word%1 ").arg(i % 1000);
        window.rtbEditor->setSelText(line.left(100000));
        window.rtbEditor->setSelStart(80000);
        QCoreApplication::processEvents();
    }
};

void BM_LongLineStatusAfterCaretMove(benchmark::State& state)
{
    static auto* line = new LongLine;
    long offset = 0;
    for (auto _ : state)
        line->window.rtbEditor->setSelStart(80000 + (offset++ % 50));
}
BENCHMARK(BM_LongLineStatusAfterCaretMove)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(50);

void BM_LongLineTypeCharacter(benchmark::State& state)
{
    static auto* line = new LongLine;
    line->window.rtbEditor->view()->setFocus();
    for (auto _ : state) {
        QTest::keyClick(line->window.rtbEditor->view(), Qt::Key_A);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_LongLineTypeCharacter)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

void BM_CopyWholeDocument(benchmark::State& state)
{
    Workbench& w = workbench();
    w.window.mnuSelectAll_Click();
    for (auto _ : state)
        w.window.mnuCopy_Click();
    report(state);
}
BENCHMARK(BM_CopyWholeDocument)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Pasting the whole document over itself. The view shows the first page and takes keys when
// Paste returns (argument 0); the rest is laid out in the background, in steps between events,
// until the view shows the caret at the end (argument 1).
void BM_PasteWholeDocument(benchmark::State& state)
{
    Workbench& w = workbench();
    const bool untilLaidOut = state.range(0) != 0;
    double longestStep = 0;
    w.window.mnuSelectAll_Click();
    w.window.mnuCopy_Click();
    for (auto _ : state) {
        state.PauseTiming();
        w.window.mnuSelectAll_Click();
        w.settle();
        state.ResumeTiming();
        w.window.ProcessPaste();
        const QTextBlock last = w.editor().document()->lastBlock();
        while (untilLaidOut && last.layout()->lineCount() == 0) {
            QElapsedTimer step;
            step.start();
            QCoreApplication::processEvents();
            longestStep = std::max(longestStep, step.nsecsElapsed() / 1e6);
        }
        w.settle();
    }
    // The window stays responsive if no single step of the background layout takes long.
    if (untilLaidOut)
        state.counters["longest_step_ms"] = longestStep;
    report(state);
}
BENCHMARK(BM_PasteWholeDocument)
    ->ArgName("until_laid_out")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

} // namespace
