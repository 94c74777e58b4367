#include "platform/control/RichTextBox.h"
#include "platform/control/RichTextView.h"
#include "platform/dialogs/DialogHost.h"
#include "platform/dialogs/Forms.h"
#include "platform/rtf/Rtf.h"
#include "shell/frmRTBEditor.h"
#include "shell/modForm.h"
#include "support/ScriptedDialogHost.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace
{

const QString Prompt = QStringLiteral("Do you want to save your changes to '%1'?");

struct Editor {
    QTemporaryDir dir;
    frmRTBEditor window;
    Editor()
    {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    RichTextBox& editor() { return *window.rtbEditor; }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void type(const QString& text)
    {
        editor().view()->setFocus();
        QTest::keyClicks(editor().view(), text);
    }
    QString caption() const { return window.windowTitle(); }
};

} // namespace

TEST(DocumentLifecycle, TypingMarksChangedAndNewClearsNameAndCountsAsSaved)
{
    Editor e;
    ScriptedDialogHost host;
    e.type(QStringLiteral("draft"));
    EXPECT_FALSE(e.window.gblnDocSaved);

    // New on a changed document asks; Cancel keeps everything.
    host.answerMessageBox(MsgBoxResult::Cancel);
    e.window.mnuNew_Click();
    EXPECT_EQ(host.last().text, Prompt.arg(QStringLiteral("Untitled")));
    EXPECT_EQ(host.last().title, QStringLiteral("BW Wordlark"));
    EXPECT_EQ(host.last().style, MsgBoxStyle::YesNoCancel | MsgBoxStyle::Question);
    EXPECT_EQ(e.editor().Text(), QStringLiteral("draft"));

    // No discards the changes; the empty new document counts as saved.
    host.answerMessageBox(MsgBoxResult::No);
    e.window.mnuNew_Click();
    EXPECT_EQ(e.editor().Text(), QString());
    EXPECT_TRUE(e.window.gblnDocSaved);
    EXPECT_EQ(e.caption(), QStringLiteral("BW Wordlark - Untitled"));
}

TEST(DocumentLifecycle, NewAfterOpenForgetsTheFileSoSaveAsksForAName)
{
    Editor e;
    ScriptedDialogHost host;
    const QString opened = e.path("letter.txt");
    writeFile(opened, "original");
    host.answerOpen(opened);
    e.window.mnuOpen_Click();
    EXPECT_EQ(e.caption(), QStringLiteral("BW Wordlark - ") + opened);
    e.window.mnuNew_Click();
    e.type(QStringLiteral("new text"));
    host.answerSave(QString()); // cancelled
    e.window.mnuSave_Click();
    EXPECT_EQ(host.last().kind, ScriptedDialogHost::Kind::SaveFile);
    EXPECT_EQ(host.last().file.fileName, QStringLiteral("Untitled"));
    EXPECT_EQ(readFile(opened), QByteArray("original")) << "the opened file is never overwritten";
    EXPECT_FALSE(e.window.gblnDocSaved);
}

TEST(DocumentLifecycle, OpenSetsCaptionAndFlagAndUsesTheSharedDialog)
{
    Editor e;
    ScriptedDialogHost host;
    const QString path = e.path("notes.txt");
    writeFile(path, "line one\nline two");
    host.answerOpen(path);
    e.window.mnuOpen_Click();
    const FileDialogRequest& request = host.last().file;
    EXPECT_EQ(request.flags, 0x1004);
    EXPECT_EQ(request.defaultExt, QStringLiteral("*.rtf"));
    EXPECT_EQ(request.filter, QStringLiteral("Rich Text Documents(*.rtf)|*.rtf|Text Files(*.txt)|"
                                             "*.txt|All Files(*.*)|*.*"));
    EXPECT_EQ(request.fileName, QString());
    EXPECT_EQ(e.editor().Text(), QStringLiteral("line one\nline two"));
    EXPECT_EQ(e.caption(), QStringLiteral("BW Wordlark - ") + path);
    EXPECT_TRUE(e.window.gblnDocSaved);
    EXPECT_EQ(e.window.m_sFileName, path);

    // Open cancelled: nothing happens, nothing is shown.
    host.answerOpen(QString());
    e.window.mnuOpen_Click();
    EXPECT_EQ(e.caption(), QStringLiteral("BW Wordlark - ") + path);
}

TEST(DocumentLifecycle, AFailedOpenReportsAndKeepsEverything)
{
    Editor e;
    ScriptedDialogHost host;
    const QString good = e.path("good.txt");
    writeFile(good, "kept");
    host.answerOpen(good);
    e.window.mnuOpen_Click();
    e.type(QStringLiteral("!"));

    const QString notRtf = e.path("plain.rtf");
    writeFile(notRtf, "this is not rtf");
    host.answerMessageBox(MsgBoxResult::No);
    host.answerOpen(notRtf);
    host.answerMessageBox(MsgBoxResult::OK);
    e.window.mnuOpen_Click();
    EXPECT_EQ(host.last().title, QStringLiteral("Open Error"));
    EXPECT_EQ(host.last().style, MsgBoxStyle::Critical);
    EXPECT_EQ(
        host.last().text,
        QStringLiteral("The following error has occurred:\r\nError # 321 - Invalid file format"));
    EXPECT_EQ(e.window.m_sFileName, good);
    EXPECT_EQ(e.caption(), QStringLiteral("BW Wordlark - ") + good);
    EXPECT_EQ(e.editor().Text(), QStringLiteral("!kept"));
    EXPECT_FALSE(e.window.gblnDocSaved) << "the unsaved change is still unsaved";
}

TEST(DocumentLifecycle, ChangesNeitherSavedNorReplacedStayUnsaved)
{
    Editor e;
    ScriptedDialogHost host;
    e.type(QStringLiteral("precious"));

    // Yes, Save As cancelled, then Cancel at the repeated prompt.
    host.answerMessageBox(MsgBoxResult::Yes);
    host.answerSave(QString());
    host.answerMessageBox(MsgBoxResult::Cancel);
    e.window.mnuOpen_Click();
    EXPECT_FALSE(e.window.gblnDocSaved);

    // No, then the Open dialog cancelled.
    host.answerMessageBox(MsgBoxResult::No);
    host.answerOpen(QString());
    e.window.mnuOpen_Click();
    EXPECT_FALSE(e.window.gblnDocSaved);
    EXPECT_EQ(e.editor().Text(), QStringLiteral("precious"));
}

TEST(DocumentLifecycle, SaveAsProposesTheNameAndTheCaptionFollowsTheNewFile)
{
    Editor e;
    ScriptedDialogHost host;
    e.type(QStringLiteral("hello"));
    const QString first = e.path("first.txt");
    host.answerSave(first);
    e.window.mnuSave_Click();
    EXPECT_EQ(host.last().file.fileName, QStringLiteral("Untitled"));
    EXPECT_EQ(host.last().file.flags, 0x802);
    EXPECT_EQ(readFile(first), QByteArray("hello"));
    EXPECT_TRUE(e.window.gblnDocSaved);
    EXPECT_EQ(e.caption(), QStringLiteral("BW Wordlark - ") + first);

    const QString second = e.path("second.txt");
    host.answerSave(second);
    e.window.mnuSaveAs_Click();
    EXPECT_EQ(host.last().file.fileName, first);
    EXPECT_EQ(e.caption(), QStringLiteral("BW Wordlark - ") + second);
    e.type(QStringLiteral("!"));
    host.answerMessageBox(MsgBoxResult::Cancel);
    e.window.mnuNew_Click();
    EXPECT_EQ(host.last().text, Prompt.arg(second));
    e.window.mnuSave_Click();
    EXPECT_EQ(readFile(second), QByteArray("hello!"));

    // Save As cancelled on a saved document makes it count as changed.
    host.answerSave(QString());
    e.window.mnuSaveAs_Click();
    EXPECT_FALSE(e.window.gblnDocSaved);
}

TEST(DocumentLifecycle, OnlyANameEndingExactlyInDotRtfIsRtf)
{
    Editor e;
    ScriptedDialogHost host;
    e.type(QStringLiteral("formatted"));
    for (const char* name : {"a.txt", "b.RTF", "c"}) {
        host.answerSave(e.path(name));
        e.window.mnuSaveAs_Click();
        EXPECT_EQ(readFile(e.path(name)), QByteArray("formatted")) << name;
    }
    host.answerSave(e.path("d.rtf"));
    e.window.mnuSaveAs_Click();
    EXPECT_TRUE(readFile(e.path("d.rtf")).startsWith("{\\rtf1"));
}

TEST(DocumentLifecycle, AFailedSaveReportsAndLeavesTheFlag)
{
    Editor e;
    ScriptedDialogHost host;
    e.type(QStringLiteral("text"));
    const QString missingFolder = e.path("missing/doc.txt");
    host.answerSave(missingFolder);
    host.answerMessageBox(MsgBoxResult::OK);
    e.window.mnuSaveAs_Click();
    EXPECT_EQ(host.last().title, QStringLiteral("Save As Error"));
    EXPECT_TRUE(host.last().text.startsWith(
        QStringLiteral("The following error has occurred:\r\nError # 76 - Path not found")));
    EXPECT_FALSE(e.window.gblnDocSaved);

    host.answerMessageBox(MsgBoxResult::OK);
    e.window.mnuSave_Click();
    EXPECT_EQ(host.last().title, QStringLiteral("Save Error"));
}

TEST(DocumentLifecycle, ASavedFileIsReplacedWholeAndKeepsItsPermissions)
{
    Editor e;
    ScriptedDialogHost host;
    const QString path = e.path("kept.txt");
    writeFile(path, "old contents");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    host.answerOpen(path);
    e.window.mnuOpen_Click();
    e.type(QStringLiteral("new "));
    e.window.mnuSave_Click();
    EXPECT_EQ(readFile(path), QByteArray("new old contents"));
    const QFile::Permissions unixBits = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser |
                                        QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                        QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFile::permissions(path) & unixBits,
              QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
}

TEST(DocumentLifecycle, ExitPromptsUntilSavedDiscardedOrCancelled)
{
    Editor e;
    ScriptedDialogHost host;
    e.type(QStringLiteral("x"));
    // Yes with Save As cancelled asks again; Cancel keeps the window open.
    host.answerMessageBox(MsgBoxResult::Yes);
    host.answerSave(QString());
    host.answerMessageBox(MsgBoxResult::Cancel);
    e.window.mnuExit_Click();
    EXPECT_TRUE(e.window.m_blnCancelExit);
    EXPECT_TRUE(e.window.isVisible());
    EXPECT_EQ(host.count(ScriptedDialogHost::Kind::MessageBox), 2);

    // Closing from the title bar asks the same; No closes.
    host.answerMessageBox(MsgBoxResult::Cancel);
    EXPECT_FALSE(e.window.close());
    EXPECT_TRUE(e.window.isVisible());
    host.answerMessageBox(MsgBoxResult::No);
    EXPECT_TRUE(e.window.close());
    EXPECT_FALSE(e.window.isVisible());
}

TEST(DocumentLifecycle, ClosingTheWindowClosesItsOtherWindows)
{
    Editor e;
    QDialog* dialog = new QDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    FormRegistration* registration = new FormRegistration(dialog, QStringLiteral("frmFind"));
    QObject::connect(dialog, &QObject::destroyed, [registration] { delete registration; });
    dialog->show();
    EXPECT_TRUE(e.window.close());
    QTest::qWait(10);
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmFind")));
}

TEST(DocumentLifecycle, LeavingEmptiesOnlyOurOwnClipboardContent)
{
    Editor e;
    QGuiApplication::clipboard()->setText(QStringLiteral("another program's text"));
    e.window.mnuExit_Click();
    EXPECT_FALSE(e.window.isVisible());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("another program's text"));

    // What this program copied, in every format it offers, goes when it ends.
    Editor second;
    second.type(QStringLiteral("copied in Wordlark"));
    second.window.mnuSelectAll_Click();
    second.window.mnuCopy_Click();
    ASSERT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("text/rtf")));
    ASSERT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("copied in Wordlark"));
    second.window.gblnDocSaved = true;
    second.window.mnuExit_Click();
    const QMimeData* left = QGuiApplication::clipboard()->mimeData();
    EXPECT_TRUE(!left || left->formats().isEmpty()) << left->formats().join(' ').toStdString();

    // Another program that copied after this one keeps its content.
    Editor third;
    third.type(QStringLiteral("copied first"));
    third.window.mnuSelectAll_Click();
    third.window.mnuCopy_Click();
    QGuiApplication::clipboard()->setText(QStringLiteral("copied later elsewhere"));
    third.window.gblnDocSaved = true;
    third.window.mnuExit_Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("copied later elsewhere"));
}

TEST(DocumentLifecycle, ACommandLineFileThatCannotBeReadReportsOverAnEmptyDocument)
{
    Editor e;
    ScriptedDialogHost host;
    host.answerMessageBox(MsgBoxResult::OK);
    e.window.OpenFileFromCommandLine(e.path("absent.rtf"));
    EXPECT_EQ(host.last().title, QStringLiteral("Open Error"));
    EXPECT_TRUE(host.last().text.contains(QStringLiteral("Error # 53 - File not found")));
    EXPECT_EQ(e.caption(), QStringLiteral("BW Wordlark - Untitled"));
    EXPECT_TRUE(e.window.m_sFileName.isEmpty());

    const QString path = e.path("given.txt");
    writeFile(path, "from the command line");
    e.window.OpenFileFromCommandLine(path);
    EXPECT_EQ(e.editor().Text(), QStringLiteral("from the command line"));
    EXPECT_EQ(e.caption(), QStringLiteral("BW Wordlark - ") + path);
    EXPECT_TRUE(e.window.gblnDocSaved);
}

TEST(Undo, ExchangesTheDocumentWithTheSnapshot)
{
    Editor e;
    // The start-up snapshot is the empty document.
    e.type(QStringLiteral("typed"));
    e.window.mnuUndo_Click();
    EXPECT_EQ(e.editor().Text(), QString());
    EXPECT_FALSE(e.window.gblnDocSaved);
    e.window.mnuUndo_Click();
    EXPECT_EQ(e.editor().Text(), QStringLiteral("typed"));

    // Type a word, make it bold, Undo, Undo.
    e.editor().setSelStart(0);
    e.editor().setSelLength(5);
    e.window.TakeUndoSnapshot();
    e.editor().setSelBold(true);
    e.window.mnuUndo_Click();
    e.editor().setSelStart(0);
    e.editor().setSelLength(5);
    EXPECT_EQ(e.editor().SelBold(), false);
    e.window.mnuUndo_Click();
    e.editor().setSelStart(0);
    e.editor().setSelLength(5);
    EXPECT_EQ(e.editor().SelBold(), true);
}

namespace
{

QString pdfText(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    if (!process.waitForFinished(20000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

TEST(Printing, PrintsTheWholeDocumentOrTheSelectionOntoTheChosenPrinter)
{
    Editor e;
    ScriptedDialogHost host;
    e.type(QStringLiteral("alpha beta gamma"));
    e.editor().setSelStart(6);
    e.editor().setSelLength(4);

    // The whole document: the selection collapses to its start.
    const QString whole = e.path("whole.pdf");
    host.answerPrint(whole, false);
    e.window.mnuPrint_Click();
    EXPECT_EQ(host.last().flags, 0x100108);
    EXPECT_TRUE(pdfText(whole).contains(QStringLiteral("alpha beta gamma")));
    EXPECT_EQ(e.editor().SelStart(), 6);
    EXPECT_EQ(e.editor().SelLength(), 0);

    // Nothing selected: the selection choice is disabled.
    host.answerPrint(QString());
    e.window.mnuPrint_Click();
    EXPECT_EQ(host.last().flags, 0x100108 + 4);

    // The selection only; it stays selected.
    e.editor().setSelLength(4);
    const QString part = e.path("part.pdf");
    host.answerPrint(part, true);
    e.window.mnuPrint_Click();
    const QString printed = pdfText(part);
    EXPECT_TRUE(printed.contains(QStringLiteral("beta")));
    EXPECT_FALSE(printed.contains(QStringLiteral("alpha")));
    EXPECT_EQ(e.editor().SelLength(), 4);
    EXPECT_TRUE(e.window.gblnDocSaved == false);

    // No printer: the error report.
    host.failPrint();
    host.answerMessageBox(MsgBoxResult::OK);
    e.window.mnuPrint_Click();
    EXPECT_EQ(host.last().title, QStringLiteral("Print Error"));
    EXPECT_TRUE(host.last().text.contains(QStringLiteral("Error # 482")));
}

TEST(Printing, TablesAndListNumbersArePrinted)
{
    Editor e;
    ScriptedDialogHost host;
    e.editor().setTextRTF(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
        "{\\*\\listtable{\\list{\\listlevel\\levelnfc0\\levelstartat5{\\leveltext\\'02\\'00.;}"
        "{\\levelnumbers\\'01;}}{\\listlevel\\levelnfc4{\\leveltext\\'04\\'00.\\'01);}"
        "{\\levelnumbers\\'01\\'03;}}\\listid1}}"
        "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
        "\\pard\\ls1 fifth\\par\\pard\\ls1\\ilvl1 under\\par\\pard\\ls1 sixth\\par"
        "\\trowd\\cellx2000\\cellx4000\\pard\\intbl north\\cell south\\cell\\row"
        "\\trowd\\cellx2000\\cellx4000\\pard\\intbl east\\cell west\\cell\\row\\pard end\\par}");
    const QString pdf = e.path("tables.pdf");
    host.answerPrint(pdf, false);
    e.window.mnuPrint_Click();
    const QString printed = pdfText(pdf);
    for (const char* text :
         {"5.", "fifth", "5.a)", "under", "6.", "sixth", "north", "south", "east", "west", "end"})
        EXPECT_TRUE(printed.contains(QString::fromLatin1(text)))
            << text << " in " << printed.toStdString();
}
