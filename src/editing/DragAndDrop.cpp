// Drag and drop and the middle-click: text dragged within the document moves (or, with Ctrl, is
// copied) with everything it carries; what other programs drop, and the X11 primary selection,
// is inserted as RTF when offered, otherwise as plain text. None of them is a paste: the
// clipboard is not read.
#include "shell/frmRTBEditor.h"

#include "platform/control/DroppedContent.h"
#include "platform/control/RichTextBox.h"

bool frmRTBEditor::rtbEditor_Drop(const RichTextBox::Drop& drop)
{
    if (drop.ownSelection)
        return MoveSelectionTo(drop.position, drop.copy);
    const DroppedContent content = DroppedContent::of(*drop.data);
    if (content.isEmpty())
        return false;
    TakeUndoSnapshot();
    rtbEditor->setSelStart(drop.position);
    rtbEditor->setSelLength(0);
    if (!content.rtf.isEmpty())
        rtbEditor->setSelRTF(content.rtf);
    else
        rtbEditor->setSelText(content.text);
    return true;
}

bool frmRTBEditor::MoveSelectionTo(long position, bool copy)
{
    const long start = rtbEditor->SelStart();
    const long length = rtbEditor->SelLength();
    // Dropped onto itself: nothing moves.
    if (length == 0 || (position >= start && position <= start + length))
        return false;
    TakeUndoSnapshot();
    const QByteArray rtf = rtbEditor->SelRTF();
    if (!copy) {
        rtbEditor->setSelText(QString());
        if (position > start)
            position -= length;
    }
    rtbEditor->setSelStart(position);
    rtbEditor->setSelLength(0);
    rtbEditor->setSelRTF(rtf);
    // The dropped text stays selected, as it was before the drag.
    const long end = rtbEditor->SelStart();
    rtbEditor->setSelStart(position);
    rtbEditor->setSelLength(end - position);
    return true;
}
