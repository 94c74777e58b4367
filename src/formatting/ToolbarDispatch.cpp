// The toolbars' click handlers: the clicked button's key selects the command.
#include "shell/frmRTBEditor.h"

#include "platform/bars/Toolbar.h"
#include "platform/core/Error.h"

#include <array>
#include <span>

namespace
{

struct KeyedCommand {
    const char* key;
    void (frmRTBEditor::*command)();
};

// Keys compare as exact, case-sensitive text, in table order.
constexpr std::array<KeyedCommand, 13> FormattingCommands{{
    {"Font", &frmRTBEditor::mnuFont_Click},
    {"Bold", &frmRTBEditor::ToggleBold},
    {"Italic", &frmRTBEditor::ToggleItalic},
    {"Underline", &frmRTBEditor::ToggleUnderline},
    {"Color", &frmRTBEditor::SelectColor},
    {"Subscript", &frmRTBEditor::mnuSubscript_Click},
    {"Superscript", &frmRTBEditor::mnuSuperscript_Click},
    {"Lowercase", &frmRTBEditor::mnuLowercase_Click},
    {"Uppercase", &frmRTBEditor::mnuUpperCase_Click},
    {"AlignLeft", &frmRTBEditor::SelectAlignLeft},
    {"AlignCenter", &frmRTBEditor::SelectAlignCenter},
    {"AlignRight", &frmRTBEditor::SelectAlignRight},
    {"Bullets", &frmRTBEditor::ToggleBullets},
}};

constexpr std::array<KeyedCommand, 10> StandardCommands{{
    {"New", &frmRTBEditor::mnuNew_Click},
    {"Open", &frmRTBEditor::mnuOpen_Click},
    {"Save", &frmRTBEditor::mnuSave_Click},
    {"Print", &frmRTBEditor::mnuPrint_Click},
    {"Find", &frmRTBEditor::mnuFind_Click},
    {"Cut", &frmRTBEditor::mnuCut_Click},
    {"Copy", &frmRTBEditor::mnuCopy_Click},
    {"Paste", &frmRTBEditor::mnuPaste_Click},
    {"Undo", &frmRTBEditor::mnuUndo_Click},
    {"DateTime", &frmRTBEditor::mnuDateTime_Click},
}};

// Runs the command of the first entry whose key equals the button's; a failure that the command
// passes on is dropped: the toolbar reports nothing.
void dispatch(frmRTBEditor& window, const ToolbarButton* button,
              std::span<const KeyedCommand> commands)
{
    ignoreErrors([&] {
        if (!button)
            return;
        const QString& key = button->Key();
        for (const KeyedCommand& entry : commands) {
            if (key == QLatin1String(entry.key)) {
                (window.*entry.command)();
                return;
            }
        }
    });
}

} // namespace

void frmRTBEditor::tbrFormatting_ButtonClick(ToolbarButton* button)
{
    dispatch(*this, button, FormattingCommands);
}

void frmRTBEditor::tbrStandard_ButtonClick(ToolbarButton* button)
{
    dispatch(*this, button, StandardCommands);
}
