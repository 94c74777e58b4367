// Recovery of unsaved work: the copy kept while the document has unsaved changes, and the offer
// of copies that an earlier run left behind when it ended abnormally.
#include "shell/DocumentRecovery.h"

#include "platform/control/RichTextBox.h"
#include "platform/core/Error.h"
#include "platform/dialogs/DialogHost.h"
#include "platform/rtf/Rtf.h"
#include "shell/frmRTBEditor.h"

#include <QLocale>

RecoveryKeeper::RecoveryKeeper(std::function<QByteArray()> documentRtf,
                               std::function<QString()> documentPath, QObject* parent,
                               const QString& folder)
    : QObject(parent), m_documentRtf(std::move(documentRtf)),
      m_documentPath(std::move(documentPath)), m_folder(folder), m_copy(folder)
{
    for (QTimer* timer : {&m_quiet, &m_longest}) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this] { writeNow(); });
    }
    setDelays(QuietDelay, LongestDelay);
}

void RecoveryKeeper::setDelays(std::chrono::milliseconds quiet, std::chrono::milliseconds longest)
{
    m_quiet.setInterval(quiet);
    m_longest.setInterval(longest);
}

void RecoveryKeeper::noteChange()
{
    m_lastChange = QDateTime::currentDateTimeUtc();
    m_quiet.start();
    if (!m_longest.isActive())
        m_longest.start();
}

void RecoveryKeeper::writeNow(const QDateTime& changed)
{
    m_quiet.stop();
    m_longest.stop();
    if (changed.isValid())
        m_lastChange = changed;
    if (!m_lastChange.isValid())
        m_lastChange = QDateTime::currentDateTimeUtc();
    m_copy.write(m_documentRtf(), {m_documentPath(), m_lastChange});
}

void RecoveryKeeper::discard()
{
    m_quiet.stop();
    m_longest.stop();
    m_copy.remove();
}

namespace
{

const QString RecoverTitle = QStringLiteral("Recover");

QString nameForQuestion(const QString& documentPath)
{
    return documentPath.isEmpty() ? QStringLiteral("Untitled") : documentPath;
}

bool askToRecover(const recovery::Record& record)
{
    const QString when = QLocale().toString(record.changed.toLocalTime(), QLocale::ShortFormat);
    return MsgBox(QStringLiteral("Wordlark did not end normally. Do you want to recover the "
                                 "unsaved changes to '%1', last changed %2?")
                      .arg(nameForQuestion(record.documentPath), when),
                  MsgBoxStyle::YesNo | MsgBoxStyle::Question, RecoverTitle) == MsgBoxResult::Yes;
}

void reportDamagedCopy(recovery::OrphanedCopy& orphan)
{
    const QString movedTo = orphan.moveAside();
    MsgBox(QStringLiteral("A recovery copy of unsaved changes could not be read. It was moved to "
                          "'%1'.")
               .arg(movedTo),
           MsgBoxStyle::Exclamation, RecoverTitle);
}

// The copy's RTF, or nothing when the copy cannot be read or is no RTF.
std::optional<QByteArray> readableCopy(const recovery::OrphanedCopy& orphan)
{
    std::optional<QByteArray> bytes;
    ignoreErrors([&] { bytes = orphan.readCopy(); });
    if (bytes && !rtf::looksLikeRtf(*bytes))
        bytes.reset();
    return bytes;
}

} // namespace

void frmRTBEditor::OfferRecovery()
{
    for (const auto& orphan : recovery::claimOrphanedCopies(m_recovery->folder()))
        OfferOrphanedCopy(*orphan);
}

void frmRTBEditor::OfferOrphanedCopy(recovery::OrphanedCopy& orphan)
{
    if (!orphan.hasCopy()) {
        // A record whose copy was never written: nothing to give back.
        orphan.remove();
        return;
    }
    const std::optional<recovery::Record> record = orphan.readRecord();
    const std::optional<QByteArray> rtf = record ? readableCopy(orphan) : std::nullopt;
    if (!rtf) {
        reportDamagedCopy(orphan);
        return;
    }
    if (!askToRecover(*record)) {
        orphan.remove();
        return;
    }
    // The editor may already hold a recovered document: it is not replaced unasked. Cancel leaves
    // this copy for the next start.
    if (!ConfirmReplacingChanges())
        return;
    RestoreRecoveredDocument(*rtf, record->documentPath);
    // The old copy goes only once the recovered document is safe in this run's own copy.
    m_recovery->writeNow(record->changed);
    m_recovery->copy().waitForPendingWork();
    if (m_recovery->copy().isOnDisk())
        orphan.remove();
}

void frmRTBEditor::RestoreRecoveredDocument(const QByteArray& rtf, const QString& documentPath)
{
    rtbEditor->setTextRTF(rtf);
    // Unsaved, under its own file's name: Save writes it where it belongs.
    m_sFileName = documentPath;
    setCaption(nameForQuestion(documentPath));
    gblnDocSaved = false;
    rtbEditor_SelChange();
}
