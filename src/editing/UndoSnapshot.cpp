// The one-level undo: the whole document's RTF kept in the hidden snapshot control.
#include "shell/frmRTBEditor.h"

#include "platform/control/RichTextBox.h"

void frmRTBEditor::TakeUndoSnapshot()
{
    rtbSaved->setTextRTF(rtbEditor->TextRTF());
}

void frmRTBEditor::mnuUndo_Click()
{
    // Exchange the document and the snapshot, so that Undo of Undo redoes.
    rtbTemp->setTextRTF(rtbEditor->TextRTF());
    rtbEditor->setTextRTF(rtbSaved->TextRTF());
    rtbSaved->setTextRTF(rtbTemp->TextRTF());
}
