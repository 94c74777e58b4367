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

bool isClipboardLetter(int keyCode)
{
    return keyCode == 'C' || keyCode == 'V' || keyCode == 'X';
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
        StatusPanel& overwrite = sbrMain->Panels(QStringLiteral("Overwrite"));
        overwrite.setEnabled(!overwrite.Enabled());
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

// Decides, before the window's shortcuts see a key, whether the editor's key table takes it, so
// that every key press runs its command exactly once. Ctrl with C, V or X is left to the menu
// shortcuts: the editor hook keeps those key-downs from the editor itself.
RichTextBox::KeyClaim editorKeyClaim(int keyCode, int shift)
{
    if (keyCode == vk::Insert || keyCode == vk::Delete || keyCode == vk::F3)
        return RichTextBox::KeyClaim::Claim;
    if (isCtrlAlone(shift) && keyCode != vk::ControlKey)
        return isClipboardLetter(keyCode) ? RichTextBox::KeyClaim::LeaveToShortcuts
                                          : RichTextBox::KeyClaim::Claim;
    return RichTextBox::KeyClaim::Default;
}
