// The editor's own key table: commands for Ctrl keys, Delete and F3, and the Insert key's
// overwrite indicator.
#include "shell/frmRTBEditor.h"

#include "platform/bars/StatusBar.h"
#include "platform/control/RichTextBox.h"
#include "platform/core/VirtualKeys.h"

#include <utility>

namespace
{

using Command = void (frmRTBEditor::*)();

// The Ctrl-alone keys and their commands, in table order.
constexpr std::pair<int, Command> CtrlCommands[] = {
    {'N', &frmRTBEditor::mnuNew_Click},    {'O', &frmRTBEditor::mnuOpen_Click},
    {'S', &frmRTBEditor::mnuSave_Click},   {'Z', &frmRTBEditor::mnuUndo_Click},
    {'X', &frmRTBEditor::mnuCut_Click},    {'C', &frmRTBEditor::mnuCopy_Click},
    {'V', &frmRTBEditor::mnuPaste_Click},  {'A', &frmRTBEditor::mnuSelectAll_Click},
    {'F', &frmRTBEditor::mnuFind_Click},   {'H', &frmRTBEditor::mnuReplace_Click},
    {'B', &frmRTBEditor::ToggleBold},      {'I', &frmRTBEditor::ToggleItalic},
    {'U', &frmRTBEditor::ToggleUnderline},
};

bool isCtrlAlone(int shift)
{
    return shift == vk::CtrlMask;
}

bool isCopyOrCutLetter(int keyCode)
{
    return keyCode == 'C' || keyCode == 'X';
}

void consume(int& keyCode, int& shift)
{
    keyCode = 0;
    shift = 0;
}

} // namespace

void frmRTBEditor::rtbEditor_KeyDown(int& keyCode, int& shift)
{
    if (keyCode == vk::Insert) {
        InsertKeyDown(keyCode, shift);
        return;
    }
    if (keyCode == vk::Delete) {
        mnuDelete_Click();
        consume(keyCode, shift);
        return;
    }
    if (keyCode == vk::F3) {
        mnuFindNext_Click();
        consume(keyCode, shift);
        return;
    }
    if (!isCtrlAlone(shift))
        return;
    for (const auto& [key, command] : CtrlCommands) {
        if (key == keyCode) {
            (this->*command)();
            break;
        }
    }
    consume(keyCode, shift);
}

// Insert alone switches between insert and overwrite: the panel here, the editor's typing mode
// in the editor itself, so the two always agree. Shift+Insert pastes and Ctrl+Insert copies, as
// Ctrl+V and Ctrl+C do; no other combination changes the mode.
void frmRTBEditor::InsertKeyDown(int& keyCode, int& shift)
{
    if (shift == 0) {
        StatusPanel& overwrite = sbrMain->Panels(QStringLiteral("Overwrite"));
        overwrite.setEnabled(!overwrite.Enabled());
        return;
    }
    if (shift == vk::ShiftMask)
        mnuPaste_Click();
    else if (shift == vk::CtrlMask)
        mnuCopy->trigger();
    consume(keyCode, shift);
}

// Decides, before the window's shortcuts see a key, whether the editor's key table takes it, so
// that every key press runs its command exactly once. Ctrl with C or X is left to the menu
// shortcuts, which do nothing while there is no selection to copy; the editor hook keeps those
// key-downs from the editor itself. Ctrl+V runs Paste through the key table even when nothing can
// be pasted, so that it takes its undo snapshot all the same.
RichTextBox::KeyClaim editorKeyClaim(int keyCode, int shift)
{
    if (keyCode == vk::Insert || keyCode == vk::Delete || keyCode == vk::F3)
        return RichTextBox::KeyClaim::Claim;
    if (isCtrlAlone(shift) && keyCode != vk::ControlKey)
        return isCopyOrCutLetter(keyCode) ? RichTextBox::KeyClaim::LeaveToShortcuts
                                          : RichTextBox::KeyClaim::Claim;
    return RichTextBox::KeyClaim::Default;
}
