// Wiring of the formatting commands: the Format menu and the formatting toolbar.
#include "shell/frmRTBEditor.h"

void frmRTBEditor::connectFormattingCommands()
{
}
