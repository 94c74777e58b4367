// Wiring of the Insert menu.
#include "shell/frmRTBEditor.h"

void frmRTBEditor::connectInsertionCommands()
{
}
