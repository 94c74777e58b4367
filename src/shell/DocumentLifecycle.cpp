// The life of the document: New, Open, Save, Save As, Exit and closing the window.
#include "shell/frmRTBEditor.h"

#include "platform/clipboard/ClipboardLayer.h"
#include "platform/control/RichTextBox.h"
#include "platform/core/Error.h"
#include "platform/dialogs/DialogHost.h"
#include "shell/DocumentRecovery.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>

namespace
{

const QString CaptionPrefix = QStringLiteral("BW Wordlark - ");
const QString DocumentFilter =
    QStringLiteral("Rich Text Documents(*.rtf)|*.rtf|Text Files(*.txt)|*.txt|All Files(*.*)|*.*");
constexpr long OpenFlags = 0x1004;  // hide read-only, file must exist
constexpr long SaveAsFlags = 0x802; // overwrite prompt, path must exist

// Only a name ending exactly in ".rtf" is RTF; every other name is plain text.
int fileTypeFor(const QString& fileName)
{
    return fileName.endsWith(QLatin1String(".rtf"), Qt::CaseSensitive) ? RichTextBox::rtfRTF
                                                                       : RichTextBox::rtfText;
}

bool isCancel(const PlatformError& error)
{
    return error.number() == ErrorNumber::DialogCancelled;
}

} // namespace

void frmRTBEditor::connectDocumentCommands()
{
    connect(mnuNew, &QAction::triggered, this, &frmRTBEditor::mnuNew_Click);
    connect(mnuOpen, &QAction::triggered, this, &frmRTBEditor::mnuOpen_Click);
    connect(mnuSave, &QAction::triggered, this, &frmRTBEditor::mnuSave_Click);
    connect(mnuSaveAs, &QAction::triggered, this, &frmRTBEditor::mnuSaveAs_Click);
    connect(mnuPrint, &QAction::triggered, this, &frmRTBEditor::mnuPrint_Click);
    connect(mnuExit, &QAction::triggered, this, &frmRTBEditor::mnuExit_Click);
}

void frmRTBEditor::setCaption(const QString& documentName)
{
    setWindowTitle(CaptionPrefix + documentName);
}

QString frmRTBEditor::DocumentName() const
{
    return windowTitle().mid(CaptionPrefix.size());
}

void frmRTBEditor::setDocumentSettled()
{
    gblnDocSaved = true;
    m_recovery->discard();
}

void frmRTBEditor::ShowErrorReport(const QString& title, const PlatformError& error)
{
    MsgBox(QStringLiteral("The following error has occurred:\r\nError # %1 - %2")
               .arg(error.number())
               .arg(error.description()),
           MsgBoxStyle::Critical, title);
}

namespace
{

// The save-changes prompt; closing it counts as Cancel.
int askToSaveChanges(const QString& documentName)
{
    return MsgBox(QStringLiteral("Do you want to save your changes to '%1'?").arg(documentName),
                  MsgBoxStyle::YesNoCancel | MsgBoxStyle::Question, QStringLiteral("BW Wordlark"));
}

} // namespace

void frmRTBEditor::mnuNew_Click()
{
    if (gblnDocSaved) {
        rtbEditor->setTextRTF(QByteArray());
        setCaption(QStringLiteral("Untitled"));
        // A new document has no file: Save goes to Save As instead of overwriting the last one.
        m_sFileName.clear();
        setDocumentSettled();
        return;
    }
    switch (askToSaveChanges(DocumentName())) {
    case MsgBoxResult::Yes:
        mnuSave_Click();
        mnuNew_Click();
        break;
    case MsgBoxResult::No:
        gblnDocSaved = true;
        mnuNew_Click();
        break;
    default:
        break;
    }
}

void frmRTBEditor::mnuOpen_Click()
{
    if (!gblnDocSaved) {
        switch (askToSaveChanges(DocumentName())) {
        case MsgBoxResult::Yes:
            // Save may fail or be cancelled; then Open asks again.
            mnuSave_Click();
            mnuOpen_Click();
            return;
        case MsgBoxResult::No:
            // The changes are given up only when another document replaces them.
            break;
        default:
            return;
        }
    }
    catchErrors(
        [this] {
            dlgRTBEditor.CancelError = true;
            dlgRTBEditor.Flags = OpenFlags;
            dlgRTBEditor.DefaultExt = QStringLiteral("*.rtf");
            dlgRTBEditor.Filter = DocumentFilter;
            dlgRTBEditor.FileName = QString();
            // The dialog is shared: picture insertion leaves its own title set.
            dlgRTBEditor.DialogTitle = QStringLiteral("Open");
            dlgRTBEditor.ShowOpen();
            LoadDocument(dlgRTBEditor.FileName);
        },
        [this](const PlatformError& error) {
            if (!isCancel(error))
                ShowErrorReport(QStringLiteral("Open Error"), error);
        });
}

void frmRTBEditor::LoadDocument(const QString& path)
{
    // The name is taken only once the file has been read, so a failed load changes nothing.
    rtbEditor->LoadFile(path, fileTypeFor(path));
    m_sFileName = path;
    setCaption(m_sFileName);
    rtbEditor_SelChange();
    setDocumentSettled();
}

bool frmRTBEditor::ConfirmReplacingChanges()
{
    if (gblnDocSaved)
        return true;
    switch (askToSaveChanges(DocumentName())) {
    case MsgBoxResult::Yes:
        mnuSave_Click();
        return gblnDocSaved;
    case MsgBoxResult::No:
        return true;
    default:
        return false;
    }
}

void frmRTBEditor::OpenFileFromCommandLine(const QString& path)
{
    // The editor may hold recovered changes by now: they are not dropped unasked.
    if (!ConfirmReplacingChanges())
        return;
    catchErrors([this, &path] { LoadDocument(path); },
                [this](const PlatformError& error) {
                    ShowErrorReport(QStringLiteral("Open Error"), error);
                });
}

void frmRTBEditor::mnuSave_Click()
{
    if (m_sFileName.trimmed().isEmpty()) {
        mnuSaveAs_Click();
        return;
    }
    catchErrors(
        [this] {
            rtbEditor->SaveFile(m_sFileName, fileTypeFor(m_sFileName));
            setDocumentSettled();
        },
        [this](const PlatformError& error) {
            if (!isCancel(error))
                ShowErrorReport(QStringLiteral("Save Error"), error);
        });
}

void frmRTBEditor::mnuSaveAs_Click()
{
    catchErrors(
        [this] {
            dlgRTBEditor.CancelError = true;
            dlgRTBEditor.Flags = SaveAsFlags;
            dlgRTBEditor.DefaultExt = QStringLiteral("*.rtf");
            dlgRTBEditor.Filter = DocumentFilter;
            dlgRTBEditor.FileName = DocumentName();
            dlgRTBEditor.DialogTitle = QStringLiteral("Save As");
            dlgRTBEditor.ShowSave();
            m_sFileName = dlgRTBEditor.FileName;
            rtbEditor->SaveFile(m_sFileName, fileTypeFor(m_sFileName));
            setDocumentSettled();
            // The caption, and with it the save-changes prompt, names the file now written.
            setCaption(m_sFileName);
        },
        [this](const PlatformError& error) {
            if (isCancel(error))
                gblnDocSaved = false;
            else
                ShowErrorReport(QStringLiteral("Save As Error"), error);
        });
}

void frmRTBEditor::mnuExit_Click()
{
    m_blnCancelExit = false;
    if (gblnDocSaved) {
        // Only what Wordlark itself put on the clipboard is taken away with it.
        clipboardEmptyIfOurs();
        close();
        return;
    }
    switch (askToSaveChanges(DocumentName())) {
    case MsgBoxResult::Yes:
        mnuSave_Click();
        mnuExit_Click();
        break;
    case MsgBoxResult::No:
        gblnDocSaved = true;
        mnuExit_Click();
        break;
    default:
        m_blnCancelExit = true;
        break;
    }
}

void frmRTBEditor::Form_QueryUnload(int& cancel, int)
{
    mnuExit_Click();
    if (m_blnCancelExit)
        cancel = 1;
    else
        RemoveEditorHook();
}

void frmRTBEditor::closeEvent(QCloseEvent* event)
{
    int cancel = 0;
    Form_QueryUnload(cancel, 0);
    if (cancel) {
        event->ignore();
        return;
    }
    event->accept();
    // A normal end: whatever the answer to the save prompt, no copy is left to offer again.
    m_recovery->discard();
    // The program ends with its main window: its dialogs close with it.
    for (QWidget* form : Forms::loaded()) {
        if (form != this)
            form->close();
    }
}
