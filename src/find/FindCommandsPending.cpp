// Placeholder until the Find and Replace dialog lands: the commands do nothing yet.
#include "shell/frmRTBEditor.h"

void frmRTBEditor::mnuFind_Click() {}
void frmRTBEditor::mnuFindNext_Click() {}
void frmRTBEditor::mnuReplace_Click() {}
