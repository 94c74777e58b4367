#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads and atomic writes; failures raise PlatformError with the classic numbers
// (53 file not found, 75 path/file access error, 76 path not found, 61 disk full).
namespace fileio
{

QByteArray readWholeFile(const QString& path);

// Writes a temporary file beside `path`, flushes it and renames it over `path`, keeping the old
// file's permissions; a failed write leaves the old file as it was.
void writeWholeFileAtomically(const QString& path, const QByteArray& bytes);

// The same, for a file that only the user may read and write (mode 0600) whatever it had before.
void writePrivateFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace fileio
