#include "platform/core/RecoveryStore.h"

#include "platform/core/Error.h"
#include "platform/core/FileIO.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace recovery
{

namespace
{

const QString CopySuffix = QStringLiteral(".rtf");
const QString RecordSuffix = QStringLiteral(".json");
const QString LockSuffix = QStringLiteral(".lock");

QString pathFor(const QString& folder, const QString& id, const QString& suffix)
{
    return QDir(folder).filePath(id + suffix);
}

// A folder only the user can enter.
bool makePrivateFolder(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    return QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner);
}

// A lock held for as long as its owner runs: never stale because of its age, only because its
// process is gone.
std::unique_ptr<QLockFile> lockFor(const QString& folder, const QString& id)
{
    auto lock = std::make_unique<QLockFile>(pathFor(folder, id, LockSuffix));
    lock->setStaleLockTime(0);
    return lock;
}

QString uniqueOwnerId()
{
    return QStringLiteral("%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

// A name in `folder` for `fileName` that no file has yet.
QString freeNameIn(const QString& folder, const QString& fileName)
{
    const QDir dir(folder);
    QString candidate = dir.filePath(fileName);
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = dir.filePath(QStringLiteral("%1.%2").arg(fileName).arg(n));
    return candidate;
}

} // namespace

QString defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // A relative XDG_STATE_HOME is ignored, as the XDG base directory rules say.
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::home().filePath(QStringLiteral(".local/state"));
    return QDir(state).filePath(QStringLiteral("wordlark/recovery"));
}

QString damagedFolder(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("damaged"));
}

QByteArray encodeRecord(const Record& record)
{
    QJsonObject object;
    object.insert(QStringLiteral("document"), record.documentPath);
    object.insert(QStringLiteral("changed"), record.changed.toUTC().toString(Qt::ISODateWithMs));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<Record> decodeRecord(const QByteArray& bytes)
{
    const QJsonDocument json = QJsonDocument::fromJson(bytes);
    if (!json.isObject())
        return std::nullopt;
    const QJsonObject object = json.object();
    const QJsonValue document = object.value(QStringLiteral("document"));
    const QDateTime changed = QDateTime::fromString(
        object.value(QStringLiteral("changed")).toString(), Qt::ISODateWithMs);
    if (!document.isString() || !changed.isValid())
        return std::nullopt;
    return Record{document.toString(), changed};
}

// The thread that writes and removes one owner's copy, and the lock the owner holds.
struct OwnCopy::Worker {
    QString folder;
    QString id = uniqueOwnerId();
    std::unique_ptr<QLockFile> lock;

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<std::function<void()>> jobs;
    bool busy = false;
    bool stopping = false;
    // The newest copy waiting to be written; a remove drops it.
    std::optional<std::pair<QByteArray, Record>> latest;
    std::atomic<bool> onDisk{false};
    std::thread thread;

    explicit Worker(QString where) : folder(std::move(where))
    {
        thread = std::thread([this] { run(); });
    }

    void post(std::function<void()> job)
    {
        {
            const std::lock_guard<std::mutex> guard(mutex);
            jobs.push_back(std::move(job));
        }
        wake.notify_one();
    }

    void run()
    {
        std::unique_lock<std::mutex> guard(mutex);
        for (;;) {
            wake.wait(guard, [this] { return stopping || !jobs.empty(); });
            if (jobs.empty())
                return; // stopping, and everything queued is done
            std::function<void()> job = std::move(jobs.front());
            jobs.pop_front();
            busy = true;
            guard.unlock();
            job();
            guard.lock();
            busy = false;
            if (jobs.empty())
                idle.notify_all();
        }
    }

    void waitUntilIdle()
    {
        std::unique_lock<std::mutex> guard(mutex);
        idle.wait(guard, [this] { return jobs.empty() && !busy; });
    }

    void stop()
    {
        {
            const std::lock_guard<std::mutex> guard(mutex);
            stopping = true;
        }
        wake.notify_one();
        thread.join();
    }

    bool holdLock()
    {
        if (lock && lock->isLocked())
            return true;
        if (!makePrivateFolder(folder))
            return false;
        lock = lockFor(folder, id);
        return lock->tryLock(0);
    }

    // The record goes first: a crash between the two files leaves a record without a copy,
    // which is nothing to recover, never a copy that names the wrong document.
    void writeLatest()
    {
        std::optional<std::pair<QByteArray, Record>> copy;
        {
            const std::lock_guard<std::mutex> guard(mutex);
            copy.swap(latest);
        }
        if (!copy)
            return; // written by an earlier job already, or removed since
        onDisk = false;
        if (!holdLock())
            return;
        // A copy that cannot be written is no reason to disturb the user's work: the next
        // change tries again.
        ignoreErrors([&] {
            fileio::writePrivateFileAtomically(pathFor(folder, id, RecordSuffix),
                                               encodeRecord(copy->second));
            fileio::writePrivateFileAtomically(pathFor(folder, id, CopySuffix), copy->first);
            onDisk = true;
        });
    }

    void removeFiles()
    {
        onDisk = false;
        QFile::remove(pathFor(folder, id, CopySuffix));
        QFile::remove(pathFor(folder, id, RecordSuffix));
    }
};

OwnCopy::OwnCopy(const QString& folder) : m_worker(std::make_shared<Worker>(folder)) {}

OwnCopy::~OwnCopy()
{
    m_worker->stop();
}

void OwnCopy::write(QByteArray rtf, Record record)
{
    {
        const std::lock_guard<std::mutex> guard(m_worker->mutex);
        m_worker->latest.emplace(std::move(rtf), std::move(record));
    }
    m_worker->post([worker = m_worker.get()] { worker->writeLatest(); });
}

void OwnCopy::remove()
{
    {
        const std::lock_guard<std::mutex> guard(m_worker->mutex);
        m_worker->latest.reset();
    }
    m_worker->post([worker = m_worker.get()] { worker->removeFiles(); });
}

void OwnCopy::waitForPendingWork()
{
    m_worker->waitUntilIdle();
}

bool OwnCopy::isOnDisk() const
{
    return m_worker->onDisk;
}

QString OwnCopy::copyPath() const
{
    return pathFor(m_worker->folder, m_worker->id, CopySuffix);
}

QString OwnCopy::recordPath() const
{
    return pathFor(m_worker->folder, m_worker->id, RecordSuffix);
}

OrphanedCopy::OrphanedCopy(QString folder, QString id, std::unique_ptr<QLockFile> claim)
    : m_folder(std::move(folder)), m_id(std::move(id)), m_claim(std::move(claim))
{
}

OrphanedCopy::~OrphanedCopy() = default;

QString OrphanedCopy::copyPath() const
{
    return pathFor(m_folder, m_id, CopySuffix);
}

QString OrphanedCopy::recordPath() const
{
    return pathFor(m_folder, m_id, RecordSuffix);
}

bool OrphanedCopy::hasCopy() const
{
    return QFileInfo::exists(copyPath());
}

std::optional<Record> OrphanedCopy::readRecord() const
{
    QFile file(recordPath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return decodeRecord(file.readAll());
}

QByteArray OrphanedCopy::readCopy() const
{
    return fileio::readWholeFile(copyPath());
}

void OrphanedCopy::remove()
{
    // The copy, its record and any temporary file a write left half done; the lock goes last.
    const QDir dir(m_folder);
    const QStringList leftovers =
        dir.entryList({m_id + QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
    for (const QString& name : leftovers) {
        if (name != m_id + LockSuffix)
            QFile::remove(dir.filePath(name));
    }
    m_claim.reset();
}

QString OrphanedCopy::moveAside()
{
    const QString damaged = damagedFolder(m_folder);
    makePrivateFolder(damaged);
    QString moved;
    for (const QString& path : {recordPath(), copyPath()}) {
        if (!QFileInfo::exists(path))
            continue;
        const QString target = freeNameIn(damaged, QFileInfo(path).fileName());
        if (QFile::rename(path, target))
            moved = target;
    }
    remove();
    return moved;
}

std::vector<std::unique_ptr<OrphanedCopy>> claimOrphanedCopies(const QString& folder)
{
    const QDir dir(folder);
    QStringList ids;
    for (const QString& name :
         dir.entryList({QStringLiteral("*") + CopySuffix, QStringLiteral("*") + RecordSuffix},
                       QDir::Files | QDir::Hidden)) {
        const QString id = name.left(name.lastIndexOf(QLatin1Char('.')));
        if (!ids.contains(id))
            ids.append(id);
    }
    std::vector<std::unique_ptr<OrphanedCopy>> orphans;
    for (const QString& id : ids) {
        std::unique_ptr<QLockFile> claim = lockFor(folder, id);
        if (claim->tryLock(0))
            orphans.push_back(std::make_unique<OrphanedCopy>(folder, id, std::move(claim)));
    }
    auto changed = [](const OrphanedCopy& copy) {
        if (const std::optional<Record> record = copy.readRecord())
            return record->changed;
        return QFileInfo(copy.copyPath()).lastModified();
    };
    std::stable_sort(orphans.begin(), orphans.end(),
                     [&](const auto& a, const auto& b) { return changed(*a) < changed(*b); });
    return orphans;
}

} // namespace recovery
