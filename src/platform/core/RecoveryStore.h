#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QLockFile;

// Recovery copies of unsaved documents, kept in a folder of the user's state so that a crash, a
// kill or a power cut loses at most the last few seconds of work.
//
// Each owner (one editor window) keeps one copy, named by an id unique to it: ID.rtf (the
// document as RTF), ID.json (its record) and ID.lock, a lock file the owner holds while it runs.
// A copy whose lock is free, or held by a process that is no longer running, was left by an owner
// that ended without cleaning up: it is an orphaned copy, which the next start offers back.
namespace recovery
{

// What a copy is a copy of: the document's file (empty for a new document) and when the
// document was last changed.
struct Record {
    QString documentPath;
    QDateTime changed;
};

// $XDG_STATE_HOME/wordlark/recovery, or ~/.local/state/wordlark/recovery when it is not set.
QString defaultFolder();

// The folder inside `folder` where copies that could not be read are moved.
QString damagedFolder(const QString& folder);

// One owner's copy. Writing and removing run in order on a thread of their own, so the caller
// never waits for the disk; the lock is taken before the first file is written.
class OwnCopy
{
public:
    explicit OwnCopy(const QString& folder = defaultFolder());
    // Finishes the queued work and releases the lock. A copy still on disk stays there: an owner
    // that goes away without removing it did not end normally.
    ~OwnCopy();
    OwnCopy(const OwnCopy&) = delete;
    OwnCopy& operator=(const OwnCopy&) = delete;

    // Queues writing the copy and its record, each atomically (temporary file, rename) and
    // readable only by the user. A newer write queued behind an older one makes the older one
    // unnecessary: only the newest is written.
    void write(QByteArray rtf, Record record);
    // Queues removing the copy and its record; work queued before still runs first.
    void remove();
    // Waits until the queued work is done.
    void waitForPendingWork();
    // True when the newest copy handed to write() is on disk: written, and not removed since.
    bool isOnDisk() const;

    QString copyPath() const;
    QString recordPath() const;

private:
    struct Worker;
    std::shared_ptr<Worker> m_worker;
};

// An orphaned copy, claimed by this process (it holds the copy's lock) until it is released.
class OrphanedCopy
{
public:
    OrphanedCopy(QString folder, QString id, std::unique_ptr<QLockFile> claim);
    ~OrphanedCopy();
    OrphanedCopy(const OrphanedCopy&) = delete;
    OrphanedCopy& operator=(const OrphanedCopy&) = delete;

    QString copyPath() const;
    QString recordPath() const;
    bool hasCopy() const;
    // The record, or nullopt when it is missing or cannot be read.
    std::optional<Record> readRecord() const;
    // The copy's bytes; raises PlatformError when it cannot be read.
    QByteArray readCopy() const;
    // Deletes the copy, its record and its lock.
    void remove();
    // Moves the copy and its record into the damaged folder and returns the copy's new path.
    QString moveAside();

private:
    QString m_folder;
    QString m_id;
    std::unique_ptr<QLockFile> m_claim;
};

// Claims every orphaned copy in `folder`, oldest change first. Copies of running owners (this
// process's own included) are left alone.
std::vector<std::unique_ptr<OrphanedCopy>>
claimOrphanedCopies(const QString& folder = defaultFolder());

// Reads and writes a record's bytes (JSON); nullopt for bytes that are no record.
QByteArray encodeRecord(const Record& record);
std::optional<Record> decodeRecord(const QByteArray& bytes);

} // namespace recovery
