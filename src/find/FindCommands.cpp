// The Find, Find Next and Replace commands of the main window, and their wiring.
#include "find/frmFind.h"
#include "find/modFind.h"
#include "platform/control/RichTextBox.h"
#include "platform/dialogs/DialogHost.h"
#include "shell/frmRTBEditor.h"
#include "shell/modForm.h"

#include <QAction>

namespace
{

const QString FindCaption = QStringLiteral("Find");
const QString ReplaceCaption = QStringLiteral("Replace");

// True when the open dialog already has `caption`; an open dialog of the other mode is unloaded.
bool dialogAlreadyOpenAs(const QString& caption)
{
    if (!IsFormLoaded(QStringLiteral("frmFind")))
        return false;
    frmFind* open = frmFind::instance(false);
    if (!open)
        return false;
    if (open->windowTitle() == caption)
        return true;
    open->Unload();
    return false;
}

void showDialogAs(const QString& caption)
{
    frmFind* dialog = frmFind::instance();
    dialog->setWindowTitle(caption);
    dialog->ShowActive();
}

} // namespace

void frmRTBEditor::connectFindCommands()
{
    connect(mnuFind, &QAction::triggered, this, &frmRTBEditor::mnuFind_Click);
    connect(mnuFindNext, &QAction::triggered, this, &frmRTBEditor::mnuFindNext_Click);
    connect(mnuReplace, &QAction::triggered, this, &frmRTBEditor::mnuReplace_Click);
}

void frmRTBEditor::mnuFind_Click()
{
    if (dialogAlreadyOpenAs(FindCaption))
        return;
    glngFindStart = static_cast<std::int32_t>(rtbEditor->SelStart());
    showDialogAs(FindCaption);
}

void frmRTBEditor::mnuReplace_Click()
{
    // Opening Replace keeps the start position where the last search left it.
    if (dialogAlreadyOpenAs(ReplaceCaption))
        return;
    showDialogAs(ReplaceCaption);
}

void frmRTBEditor::mnuFindNext_Click()
{
    if (gstrFindWhat.isEmpty()) {
        mnuFind_Click();
        return;
    }
    SearchDocument();
    while (!gblnFound && gintFindResponse == MsgBoxResult::Yes) {
        glngFindStart = 0;
        SearchDocument();
    }
}
