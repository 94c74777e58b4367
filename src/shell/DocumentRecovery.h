#pragma once

#include "platform/core/RecoveryStore.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

// Keeps the recovery copy of the editor's document while it has unsaved changes: written when the
// user has stopped changing it for a moment, and at least once a minute while changes go on.
// Only the document's RTF is made on the calling thread; the disk is written on another.
class RecoveryKeeper : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds QuietDelay{5000};
    static constexpr std::chrono::milliseconds LongestDelay{60000};

    // `documentRtf` serialises the document; `documentPath` names its file (empty for none).
    RecoveryKeeper(std::function<QByteArray()> documentRtf, std::function<QString()> documentPath,
                   QObject* parent, const QString& folder = recovery::defaultFolder());

    // The document changed: the copy is due once changes pause, or when the longest delay since
    // the first change not yet copied has passed.
    void noteChange();
    // Copies the document now; `changed` (when valid) is the time the copy records as its last
    // change instead of the latest one noted.
    void writeNow(const QDateTime& changed = QDateTime());
    // The document was saved or deliberately given up: its copy goes and nothing is due.
    void discard();

    const QString& folder() const { return m_folder; }
    recovery::OwnCopy& copy() { return m_copy; }
    // Shorter delays, for tests.
    void setDelays(std::chrono::milliseconds quiet, std::chrono::milliseconds longest);

private:
    std::function<QByteArray()> m_documentRtf;
    std::function<QString()> m_documentPath;
    QString m_folder;
    recovery::OwnCopy m_copy;
    QTimer m_quiet;
    QTimer m_longest;
    QDateTime m_lastChange;
};
