#include "editing/modWndProc.h"

#include "platform/control/RichTextBox.h"
#include "platform/control/RichTextView.h"
#include "shell/frmRTBEditor.h"

#include <QKeyEvent>

namespace
{

bool isClipboardLetter(int key)
{
    return key == Qt::Key_C || key == Qt::Key_V || key == Qt::Key_X;
}

// A key press that types its character (no Ctrl, or AltGr combinations that produce text).
bool typesText(const QKeyEvent& event)
{
    const QString text = event.text();
    return !text.isEmpty() && text.at(0).isPrint() &&
           !(event.modifiers() & Qt::ControlModifier && !(event.modifiers() & Qt::AltModifier));
}

// Ctrl+V alone, which the editor's key table turns into the Paste command before the editor's
// own handling could see it.
bool isPasteKey(const QKeyEvent& event)
{
    return event.key() == Qt::Key_V && event.modifiers() == Qt::ControlModifier;
}

} // namespace

bool EditorWndProc::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isClipboardLetter(key->key()) && !typesText(*key) && !isPasteKey(*key))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

void frmRTBEditor::InstallEditorHook()
{
    if (findChild<EditorWndProc*>())
        return;
    auto* hook = new EditorWndProc(this);
    rtbEditor->view()->installEventFilter(hook);
    rtbEditor->setPasteHandler([this] { ProcessPaste(); });
    // The keys Qt also counts as Copy and Cut that the key table does not name (F16 and F20 on
    // X11) run the commands too, enabled as the menu has them, instead of the editor's own copy
    // and cut, which would bypass the undo snapshot.
    rtbEditor->setCopyHandler([this] { mnuCopy->trigger(); });
    rtbEditor->setCutHandler([this] { mnuCut->trigger(); });
}

void frmRTBEditor::RemoveEditorHook()
{
    auto* hook = findChild<EditorWndProc*>();
    if (!hook)
        return;
    if (rtbEditor->view())
        rtbEditor->view()->removeEventFilter(hook);
    rtbEditor->setPasteHandler(nullptr);
    rtbEditor->setCopyHandler(nullptr);
    rtbEditor->setCutHandler(nullptr);
    delete hook;
}
