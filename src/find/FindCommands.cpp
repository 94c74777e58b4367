// Wiring of the Find, Find Next and Replace commands.
#include "shell/frmRTBEditor.h"

void frmRTBEditor::connectFindCommands()
{
}
