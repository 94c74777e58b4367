#include "platform/core/FileIO.h"

#include "platform/core/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace fileio
{

namespace
{

[[noreturn]] void raiseForPath(const QString& path, long number)
{
    throw PlatformError(number,
                        standardErrorDescription(number) + QStringLiteral(" (%1)").arg(path));
}

void checkFolderExists(const QString& path)
{
    if (!QFileInfo(path).absoluteDir().exists())
        raiseForPath(path, ErrorNumber::PathNotFound);
}

} // namespace

QByteArray readWholeFile(const QString& path)
{
    const QFileInfo info(path);
    if (path.trimmed().isEmpty())
        raiseForPath(path, ErrorNumber::FileNotFound);
    checkFolderExists(path);
    if (!info.exists())
        raiseForPath(path, ErrorNumber::FileNotFound);
    if (info.isDir())
        raiseForPath(path, ErrorNumber::PathFileAccessError);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        raiseForPath(path, ErrorNumber::PathFileAccessError);
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        raiseForPath(path, ErrorNumber::PathFileAccessError);
    return bytes;
}

namespace
{

void writeAtomically(const QString& path, const QByteArray& bytes, bool privateToUser)
{
    if (path.trimmed().isEmpty())
        raiseForPath(path, ErrorNumber::PathNotFound);
    checkFolderExists(path);
    if (QFileInfo(path).isDir())
        raiseForPath(path, ErrorNumber::PathFileAccessError);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        raiseForPath(path, ErrorNumber::PathFileAccessError);
    if (privateToUser && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        raiseForPath(path, ErrorNumber::PathFileAccessError);
    }
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const bool diskFull = errno == ENOSPC;
        file.cancelWriting();
        raiseForPath(path, diskFull ? ErrorNumber::DiskFull : ErrorNumber::PathFileAccessError);
    }
    if (!file.commit())
        raiseForPath(path,
                     errno == ENOSPC ? ErrorNumber::DiskFull : ErrorNumber::PathFileAccessError);
}

} // namespace

void writeWholeFileAtomically(const QString& path, const QByteArray& bytes)
{
    writeAtomically(path, bytes, false);
}

void writePrivateFileAtomically(const QString& path, const QByteArray& bytes)
{
    writeAtomically(path, bytes, true);
}

} // namespace fileio
