#include "shell/DocumentRecovery.h"
#include "platform/control/RichTextBox.h"
#include "platform/control/RichTextView.h"
#include "platform/core/RecoveryStore.h"
#include "platform/dialogs/DialogHost.h"
#include "shell/frmRTBEditor.h"
#include "support/ScriptedDialogHost.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace
{

bool waitUntil(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, 20000);
}

// Every test keeps its recovery copies in a state folder of its own.
class DocumentRecovery : public ::testing::Test
{
protected:
    QTemporaryDir state;
    QTemporaryDir documents;
    QByteArray savedStateHome = qgetenv("XDG_STATE_HOME");

    DocumentRecovery() { qputenv("XDG_STATE_HOME", state.path().toLocal8Bit()); }
    ~DocumentRecovery() override { qputenv("XDG_STATE_HOME", savedStateHome); }

    QString folder() const { return recovery::defaultFolder(); }
    QString path(const char* name) const { return documents.filePath(QString::fromLatin1(name)); }
    QStringList filesInFolder() const { return QDir(folder()).entryList(QDir::Files); }
};

struct Editor {
    frmRTBEditor window;
    Editor()
    {
        window.m_recovery->setDelays(50ms, 10min);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    RichTextBox& editor() { return *window.rtbEditor; }
    RecoveryKeeper& keeper() { return *window.m_recovery; }
    QString copyPath() { return keeper().copy().copyPath(); }
    void type(const QString& text)
    {
        editor().view()->setFocus();
        QTest::keyClicks(editor().view(), text);
    }
    // Types and waits until the copy holds the typed text.
    void typeAndWaitForCopy(const QString& text)
    {
        type(text);
        ASSERT_TRUE(waitUntil([&] { return readFile(copyPath()).contains(text.toLatin1()); }));
    }
    bool hasCopy()
    {
        keeper().copy().waitForPendingWork();
        return QFileInfo::exists(copyPath());
    }
};

int pictureCount(const QTextDocument& document)
{
    int pictures = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it)
            pictures += it.fragment().charFormat().isImageFormat() ? 1 : 0;
    }
    return pictures;
}

// Leaves a copy behind as a run that ends abnormally does: the window goes without closing.
void leaveCopyOf(const QString& text, const QString& documentPath = QString())
{
    Editor crashed;
    if (!documentPath.isEmpty())
        crashed.window.LoadDocument(documentPath);
    crashed.typeAndWaitForCopy(text);
}

} // namespace

TEST_F(DocumentRecovery, ACopyIsKeptWhenChangesPauseAndWhileTheyGoOn)
{
    Editor e;
    ScriptedDialogHost host; // no dialog at all: the copy is made unseen
    EXPECT_FALSE(e.hasCopy()) << "nothing to keep before the first change";
    e.typeAndWaitForCopy(QStringLiteral("first words"));
    EXPECT_EQ(QFileInfo(e.copyPath()).absolutePath(), folder());
    EXPECT_TRUE(readFile(e.copyPath()).startsWith("{\\rtf1"));
    const auto record = recovery::decodeRecord(readFile(e.keeper().copy().recordPath()));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->documentPath, QString()) << "a new document has no file";
    EXPECT_LE(record->changed.secsTo(QDateTime::currentDateTimeUtc()), 60);

    // Changes that never pause are still copied once the longest delay is over.
    e.keeper().setDelays(10min, 100ms);
    for (int i = 0; i < 400 && !readFile(e.copyPath()).contains("x"); ++i) {
        e.type(QStringLiteral("x"));
        QTest::qWait(10);
    }
    EXPECT_TRUE(readFile(e.copyPath()).contains("x"));
}

TEST_F(DocumentRecovery, SaveNewOpenAndExitRemoveTheCopy)
{
    Editor e;
    ScriptedDialogHost host;
    const QString saved = path("saved.rtf");

    e.typeAndWaitForCopy(QStringLiteral("save me"));
    host.answerSave(saved);
    e.window.mnuSaveAs_Click();
    EXPECT_FALSE(e.hasCopy()) << "Save As";
    e.typeAndWaitForCopy(QStringLiteral("and again"));
    e.window.mnuSave_Click();
    EXPECT_FALSE(e.hasCopy()) << "Save";

    e.typeAndWaitForCopy(QStringLiteral("given up"));
    host.answerMessageBox(MsgBoxResult::No);
    e.window.mnuNew_Click();
    EXPECT_FALSE(e.hasCopy()) << "New, not saving";

    e.typeAndWaitForCopy(QStringLiteral("replaced"));
    host.answerMessageBox(MsgBoxResult::No);
    host.answerOpen(saved);
    e.window.mnuOpen_Click();
    EXPECT_FALSE(e.hasCopy()) << "Open of another file";

    e.typeAndWaitForCopy(QStringLiteral("left unsaved"));
    host.answerMessageBox(MsgBoxResult::No);
    e.window.mnuExit_Click();
    EXPECT_FALSE(e.hasCopy()) << "a normal Exit, not saving";
    EXPECT_TRUE(host.scriptDone());
    EXPECT_FALSE(readFile(saved).contains("left unsaved"));
}

TEST_F(DocumentRecovery, AFailedSaveAndACancelledExitKeepTheCopy)
{
    Editor e;
    ScriptedDialogHost host;
    e.typeAndWaitForCopy(QStringLiteral("precious"));
    e.window.m_sFileName = path("missing/doc.rtf");
    host.answerMessageBox(MsgBoxResult::OK); // the error report
    e.window.mnuSave_Click();
    EXPECT_EQ(host.last().title, QStringLiteral("Save Error"));
    EXPECT_TRUE(e.hasCopy());

    host.answerMessageBox(MsgBoxResult::Cancel);
    e.window.mnuExit_Click();
    EXPECT_TRUE(e.hasCopy());
    EXPECT_TRUE(readFile(e.copyPath()).contains("precious"));
}

TEST_F(DocumentRecovery, YesRestoresTextFormattingAndPicturesUnderTheOriginalFile)
{
    const QString letter = path("letter.rtf");
    writeFile(letter, readFile(QStringLiteral(WORDLARK_TEST_DATA "/rtf/good/pictures.rtf")));
    int pictures = 0;
    QDateTime changed;
    {
        Editor crashed;
        crashed.window.LoadDocument(letter);
        pictures = pictureCount(*crashed.editor().document());
        crashed.editor().setSelStart(0);
        crashed.window.ToggleBold();
        crashed.typeAndWaitForCopy(QStringLiteral("Headline "));
        changed = recovery::decodeRecord(readFile(crashed.keeper().copy().recordPath()))->changed;
    }
    ASSERT_GT(pictures, 0);

    Editor e;
    ScriptedDialogHost host;
    host.answerMessageBox(MsgBoxResult::Yes);
    e.window.OfferRecovery();
    ASSERT_EQ(host.requests().size(), 1u);
    EXPECT_EQ(host.last().title, QStringLiteral("Recover"));
    EXPECT_EQ(host.last().style, MsgBoxStyle::YesNo | MsgBoxStyle::Question);
    EXPECT_TRUE(host.last().text.contains(letter));
    EXPECT_TRUE(
        host.last().text.contains(QLocale().toString(changed.toLocalTime(), QLocale::ShortFormat)));

    EXPECT_TRUE(e.editor().Text().startsWith(QStringLiteral("Headline PNG")));
    e.editor().setSelStart(0);
    e.editor().setSelLength(8);
    EXPECT_EQ(e.editor().SelBold(), true);
    EXPECT_EQ(pictureCount(*e.editor().document()), pictures);
    EXPECT_EQ(e.window.windowTitle(), QStringLiteral("BW Wordlark - ") + letter);
    EXPECT_FALSE(e.window.gblnDocSaved);
    EXPECT_EQ(filesInFolder().filter(QStringLiteral(".rtf")),
              QStringList{QFileInfo(e.copyPath()).fileName()})
        << "the recovered document lives on in this run's copy alone";

    e.window.mnuSave_Click();
    EXPECT_TRUE(readFile(letter).contains("Headline"));
    EXPECT_FALSE(e.hasCopy());
    EXPECT_TRUE(host.scriptDone());
}

TEST_F(DocumentRecovery, TheOldCopyStaysWhenTheRecoveredDocumentCannotBeCopiedAgain)
{
    leaveCopyOf(QStringLiteral("only here"));
    Editor e;
    QDir().mkpath(e.copyPath()); // this run's copy cannot be written
    ScriptedDialogHost host;
    host.answerMessageBox(MsgBoxResult::Yes);
    e.window.OfferRecovery();
    EXPECT_EQ(e.editor().Text(), QStringLiteral("only here"));
    const QStringList copies = filesInFolder().filter(QStringLiteral(".rtf"));
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(readFile(QDir(folder()).filePath(copies[0])).contains("only here"));
}

TEST_F(DocumentRecovery, NoDeletesTheCopyAndARunningWindowsCopyIsNotOffered)
{
    leaveCopyOf(QStringLiteral("unwanted"));
    Editor running;
    running.typeAndWaitForCopy(QStringLiteral("still being written"));

    Editor e;
    ScriptedDialogHost host;
    host.answerMessageBox(MsgBoxResult::No);
    e.window.OfferRecovery();
    EXPECT_EQ(host.requests().size(), 1u) << "the running window's copy is not offered";
    EXPECT_TRUE(host.last().text.contains(QStringLiteral("'Untitled'")));
    EXPECT_EQ(e.editor().Text(), QString());
    EXPECT_EQ(e.window.windowTitle(), QStringLiteral("BW Wordlark - Untitled"));
    EXPECT_EQ(filesInFolder().filter(QStringLiteral(".rtf")),
              QStringList{QFileInfo(running.copyPath()).fileName()});

    e.window.OfferRecovery(); // nothing left to offer: any dialog would fail the test
    EXPECT_TRUE(running.hasCopy());
}

TEST_F(DocumentRecovery, ADamagedCopyIsReportedOnceAndMovedAside)
{
    QDir().mkpath(folder());
    const QString copy = QDir(folder()).filePath(QStringLiteral("99-gone.rtf"));
    writeFile(copy, QByteArray("\x00\x01 torn by a power cut", 22));
    writeFile(QDir(folder()).filePath(QStringLiteral("99-gone.json")), "{\"document\":");
    leaveCopyOf(QStringLiteral("intact")); // a good copy beside it is still offered

    Editor e;
    ScriptedDialogHost host;
    host.answerMessageBox(MsgBoxResult::OK);
    host.answerMessageBox(MsgBoxResult::No);
    e.window.OfferRecovery();
    ASSERT_EQ(host.count(ScriptedDialogHost::Kind::MessageBox), 2);
    const ScriptedDialogHost::Request& report = host.requests()[0]; // the older of the two
    EXPECT_EQ(report.style, MsgBoxStyle::Exclamation);
    EXPECT_EQ(report.title, QStringLiteral("Recover"));
    const QString moved =
        QDir(recovery::damagedFolder(folder())).filePath(QStringLiteral("99-gone.rtf"));
    EXPECT_TRUE(report.text.contains(moved));
    EXPECT_EQ(readFile(moved).size(), 22);
    EXPECT_FALSE(QFileInfo::exists(copy));

    Editor next;
    next.window.OfferRecovery(); // reported once: the next start finds nothing
    EXPECT_TRUE(host.scriptDone());
}

TEST_F(DocumentRecovery, CopiesOfSeveralEndedRunsAreOfferedOneAfterTheOther)
{
    leaveCopyOf(QStringLiteral("older run"));
    QTest::qWait(20); // the two copies record different times of change
    leaveCopyOf(QStringLiteral("newer run"));

    Editor e;
    ScriptedDialogHost host;
    host.answerMessageBox(MsgBoxResult::Yes);    // the older one
    host.answerMessageBox(MsgBoxResult::Yes);    // the newer one ...
    host.answerMessageBox(MsgBoxResult::Cancel); // ... but the older one is not given up
    e.window.OfferRecovery();
    EXPECT_TRUE(host.scriptDone());
    EXPECT_EQ(host.last().text, QStringLiteral("Do you want to save your changes to 'Untitled'?"));
    EXPECT_EQ(e.editor().Text(), QStringLiteral("older run"));

    // The newer run's copy waits for the next start; the older one now lives in this run's copy.
    Editor next;
    host.answerMessageBox(MsgBoxResult::Yes);
    next.window.OfferRecovery();
    EXPECT_EQ(next.editor().Text(), QStringLiteral("newer run"));
    EXPECT_TRUE(readFile(e.copyPath()).contains("older run"));
}

TEST_F(DocumentRecovery, AFileFromTheCommandLineOpensAfterTheQuestionWithoutDroppingTheRecovery)
{
    leaveCopyOf(QStringLiteral("recovered words"));
    const QString other = path("other.txt");
    const QString recoveredTo = path("recovered.rtf");
    writeFile(other, "the file asked for");

    Editor e;
    ScriptedDialogHost host;
    host.answerMessageBox(MsgBoxResult::Yes); // Recover
    host.answerMessageBox(MsgBoxResult::Yes); // save the recovered changes first
    host.answerSave(recoveredTo);
    e.window.OfferRecovery();
    e.window.OpenFileFromCommandLine(other);
    EXPECT_TRUE(host.scriptDone());
    EXPECT_TRUE(readFile(recoveredTo).contains("recovered words"));
    EXPECT_EQ(e.editor().Text(), QStringLiteral("the file asked for"));
    EXPECT_TRUE(e.window.gblnDocSaved);
    EXPECT_FALSE(e.hasCopy());
}
