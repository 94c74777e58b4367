#include "platform/core/RecoveryStore.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using recovery::OrphanedCopy;
using recovery::OwnCopy;
using recovery::Record;

namespace
{

constexpr QFileDevice::Permissions UserOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadUser | QFileDevice::WriteUser;

Record recordOf(const QString& documentPath, const char* changed = "2026-03-01T10:00:00.000Z")
{
    return {documentPath, QDateTime::fromString(QString::fromLatin1(changed), Qt::ISODateWithMs)};
}

// A process id that no running process has: a process that has just ended.
qint64 pidOfEndedProcess()
{
    QProcess process;
    process.start(QStringLiteral("true"), {});
    process.waitForStarted();
    const qint64 pid = process.processId();
    process.waitForFinished();
    return pid;
}

struct Folder {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("state/wordlark/recovery"));
};

} // namespace

TEST(RecoveryStore, FolderFollowsTheStateHomeAndFallsBackToTheHomeFolder)
{
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/somewhere/state");
    EXPECT_EQ(recovery::defaultFolder(), QStringLiteral("/somewhere/state/wordlark/recovery"));
    const QString fallback =
        QDir::home().filePath(QStringLiteral(".local/state/wordlark/recovery"));
    qputenv("XDG_STATE_HOME", "relative/state");
    EXPECT_EQ(recovery::defaultFolder(), fallback) << "a relative state home is ignored";
    qunsetenv("XDG_STATE_HOME");
    EXPECT_EQ(recovery::defaultFolder(), fallback);
    qputenv("XDG_STATE_HOME", saved);
}

TEST(RecoveryStore, RecordsReadBackAndAnythingElseIsNoRecord)
{
    const Record record = recordOf(QStringLiteral("/home/ann/letter é.rtf"));
    const std::optional<Record> back = recovery::decodeRecord(recovery::encodeRecord(record));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->documentPath, record.documentPath);
    EXPECT_EQ(back->changed, record.changed);
    EXPECT_TRUE(recovery::decodeRecord(recovery::encodeRecord(recordOf(QString())))) << "untitled";
    for (const char* bad : {"", "garbage", "[]", "{\"document\":\"x\"}",
                            "{\"document\":3,\"changed\":\"2026-03-01T10:00:00Z\"}",
                            "{\"document\":\"x\",\"changed\":\"yesterday\"}"})
        EXPECT_FALSE(recovery::decodeRecord(bad)) << bad;
}

TEST(RecoveryStore, OwnCopyIsWrittenPrivatelyAndRemovedInOrder)
{
    Folder folder;
    OwnCopy copy(folder.path);
    copy.write("{\\rtf1 first}", recordOf(QStringLiteral("/tmp/a.rtf")));
    copy.write("{\\rtf1 second}", recordOf(QStringLiteral("/tmp/a.rtf")));
    copy.waitForPendingWork();
    EXPECT_EQ(readFile(copy.copyPath()), QByteArray("{\\rtf1 second}"));
    EXPECT_EQ(recovery::decodeRecord(readFile(copy.recordPath()))->documentPath,
              QStringLiteral("/tmp/a.rtf"));
    EXPECT_EQ(QFileInfo(copy.copyPath()).permissions(), UserOnly);
    EXPECT_EQ(QFileInfo(copy.recordPath()).permissions(), UserOnly);
    EXPECT_EQ((QFileInfo(folder.path).permissions() & 0x0077).toInt(), 0)
        << "nobody else enters the folder";

    EXPECT_TRUE(copy.isOnDisk());

    // A write queued before a removal never brings the copy back.
    for (int i = 0; i < 20; ++i) {
        copy.write("{\\rtf1 again}", recordOf(QString()));
        copy.remove();
    }
    copy.waitForPendingWork();
    EXPECT_FALSE(QFileInfo::exists(copy.copyPath()));
    EXPECT_FALSE(QFileInfo::exists(copy.recordPath()));
    EXPECT_FALSE(copy.isOnDisk());

    // A copy that cannot be written says so.
    QDir().mkpath(copy.copyPath());
    copy.write("{\\rtf1 blocked}", recordOf(QString()));
    copy.waitForPendingWork();
    EXPECT_FALSE(copy.isOnDisk());
}

TEST(RecoveryStore, OnlyCopiesOfOwnersThatAreGoneAreClaimed)
{
    Folder folder;
    auto running = std::make_unique<OwnCopy>(folder.path);
    running->write("{\\rtf1 live}", recordOf(QString()));
    running->waitForPendingWork();
    EXPECT_TRUE(recovery::claimOrphanedCopies(folder.path).empty()) << "its owner still runs";

    // An owner that goes away without removing its copy leaves it for the next start.
    const QString leftPath = running->copyPath();
    running.reset();
    auto orphans = recovery::claimOrphanedCopies(folder.path);
    ASSERT_EQ(orphans.size(), 1u);
    EXPECT_EQ(orphans[0]->copyPath(), leftPath);
    EXPECT_EQ(orphans[0]->readCopy(), QByteArray("{\\rtf1 live}"));
    EXPECT_TRUE(recovery::claimOrphanedCopies(folder.path).empty())
        << "a copy claimed by one start is not offered by another at the same time";
    orphans[0]->remove();
    EXPECT_EQ(QDir(folder.path).entryList(QDir::Files), QStringList());
}

TEST(RecoveryStore, ACopyWhoseOwnerProcessDiedIsClaimedOldestFirst)
{
    Folder folder;
    QDir().mkpath(folder.path);
    // The lock of a process that was killed stays on disk, naming a process that is gone.
    const QString model = QDir(folder.path).filePath(QStringLiteral("model.lock"));
    {
        QLockFile lock(model);
        ASSERT_TRUE(lock.tryLock(0));
        QByteArray contents = readFile(model);
        contents = QByteArray::number(pidOfEndedProcess()) + contents.mid(contents.indexOf('\n'));
        writeFile(QDir(folder.path).filePath(QStringLiteral("10-dead.lock")), contents);
    }
    writeFile(QDir(folder.path).filePath(QStringLiteral("10-dead.rtf")), "{\\rtf1 newer}");
    writeFile(QDir(folder.path).filePath(QStringLiteral("10-dead.json")),
              recovery::encodeRecord(recordOf(QString(), "2026-03-02T10:00:00.000Z")));
    writeFile(QDir(folder.path).filePath(QStringLiteral("11-dead.rtf")), "{\\rtf1 older}");
    writeFile(QDir(folder.path).filePath(QStringLiteral("11-dead.json")),
              recovery::encodeRecord(recordOf(QString(), "2026-03-01T10:00:00.000Z")));

    const auto orphans = recovery::claimOrphanedCopies(folder.path);
    ASSERT_EQ(orphans.size(), 2u);
    EXPECT_EQ(orphans[0]->readCopy(), QByteArray("{\\rtf1 older}"));
    EXPECT_EQ(orphans[1]->readCopy(), QByteArray("{\\rtf1 newer}"));
}

TEST(RecoveryStore, MovingAsideKeepsTheBytesOutOfTheWayOfLaterStarts)
{
    Folder folder;
    QDir().mkpath(folder.path);
    for (int round = 0; round < 2; ++round) {
        writeFile(QDir(folder.path).filePath(QStringLiteral("7-x.rtf")), "not rtf");
        writeFile(QDir(folder.path).filePath(QStringLiteral("7-x.json")), "not json");
        writeFile(QDir(folder.path).filePath(QStringLiteral("7-x.rtf.Ab12Cd")), "half written");
        auto orphans = recovery::claimOrphanedCopies(folder.path);
        ASSERT_EQ(orphans.size(), 1u);
        EXPECT_FALSE(orphans[0]->readRecord());
        const QString moved = orphans[0]->moveAside();
        EXPECT_EQ(QFileInfo(moved).absolutePath(), recovery::damagedFolder(folder.path));
        EXPECT_EQ(readFile(moved), QByteArray("not rtf"));
        EXPECT_EQ(QDir(folder.path).entryList(QDir::Files), QStringList()) << round;
    }
    EXPECT_EQ(QDir(recovery::damagedFolder(folder.path)).entryList(QDir::Files).size(), 4)
        << "a second damaged copy of the same name does not overwrite the first";
}
