// Wiring of the editing commands and the editor's events.
#include "shell/frmRTBEditor.h"

#include "platform/RichTextBox.h"

#include <QAction>

void frmRTBEditor::connectEditingCommands()
{
    connect(mnuUndo, &QAction::triggered, this, &frmRTBEditor::mnuUndo_Click);
    connect(rtbEditor, &RichTextBox::SelChange, this, &frmRTBEditor::rtbEditor_SelChange);
    connect(rtbEditor, &RichTextBox::Change, this, &frmRTBEditor::rtbEditor_Change);
}
