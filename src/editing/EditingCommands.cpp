// Wiring of the editing commands and the editor's events.
#include "shell/frmRTBEditor.h"

#include "platform/control/RichTextBox.h"

#include <QAction>

RichTextBox::KeyClaim editorKeyClaim(int keyCode, int shift);

void frmRTBEditor::connectEditingCommands()
{
    connect(mnuUndo, &QAction::triggered, this, &frmRTBEditor::mnuUndo_Click);
    connect(rtbEditor, &RichTextBox::SelChange, this, &frmRTBEditor::rtbEditor_SelChange);
    connect(rtbEditor, &RichTextBox::Change, this, &frmRTBEditor::rtbEditor_Change);
    connect(rtbEditor, &RichTextBox::KeyDown, this, &frmRTBEditor::rtbEditor_KeyDown);
    connect(rtbEditor, &RichTextBox::KeyUp, this, &frmRTBEditor::rtbEditor_KeyUp);
    connect(rtbEditor, &RichTextBox::MouseUp, this, &frmRTBEditor::rtbEditor_MouseUp);
    rtbEditor->setKeyClaim(&editorKeyClaim);
    connect(mnuCut, &QAction::triggered, this, &frmRTBEditor::mnuCut_Click);
    connect(mnuCopy, &QAction::triggered, this, &frmRTBEditor::mnuCopy_Click);
    connect(mnuPaste, &QAction::triggered, this, &frmRTBEditor::mnuPaste_Click);
    connect(mnuDelete, &QAction::triggered, this, &frmRTBEditor::mnuDelete_Click);
    connect(mnuSelectAll, &QAction::triggered, this, &frmRTBEditor::mnuSelectAll_Click);
    rtbEditor->setDropHandler(
        [this](const RichTextBox::Drop& drop) { return rtbEditor_Drop(drop); });
    // The editor's right-click menu offers the Edit menu's own commands.
    rtbEditor->setContextMenuActions(
        {mnuUndo, nullptr, mnuCut, mnuCopy, mnuPaste, mnuDelete, nullptr, mnuSelectAll});
}
