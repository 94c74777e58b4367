// The formatting toolbar's click handler: the clicked button's key selects the command.
#include "shell/frmRTBEditor.h"

#include "platform/Error.h"
#include "platform/Toolbar.h"

#include <array>

namespace
{

struct FormattingCommand {
    const char* key;
    void (frmRTBEditor::*command)();
};

// Keys compare as exact, case-sensitive text, in this order.
constexpr std::array<FormattingCommand, 13> FormattingCommands{{
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

} // namespace

void frmRTBEditor::tbrFormatting_ButtonClick(ToolbarButton* button)
{
    // A failure that a command passes on is dropped: the toolbar reports nothing.
    ignoreErrors([this, button] {
        if (!button)
            return;
        const QString& key = button->Key();
        for (const FormattingCommand& entry : FormattingCommands) {
            if (key == QLatin1String(entry.key)) {
                (this->*entry.command)();
                return;
            }
        }
    });
}
