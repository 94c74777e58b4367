// Wiring of the Format menu and of both toolbars.
#include "shell/frmRTBEditor.h"

#include "platform/bars/Toolbar.h"

#include <QAction>

void frmRTBEditor::connectFormattingCommands()
{
    connect(mnuFont, &QAction::triggered, this, &frmRTBEditor::mnuFont_Click);
    connect(mnuSubscript, &QAction::triggered, this, &frmRTBEditor::mnuSubscript_Click);
    connect(mnuSuperscript, &QAction::triggered, this, &frmRTBEditor::mnuSuperscript_Click);
    connect(mnuLowercase, &QAction::triggered, this, &frmRTBEditor::mnuLowercase_Click);
    connect(mnuUpperCase, &QAction::triggered, this, &frmRTBEditor::mnuUpperCase_Click);
    connect(mnuBullets, &QAction::triggered, this, &frmRTBEditor::mnuBullets_Click);
    connect(mnuParagraph, &QAction::triggered, this, &frmRTBEditor::mnuParagraph_Click);
    connect(tbrFormatting, &Toolbar::ButtonClick, this, &frmRTBEditor::tbrFormatting_ButtonClick);
    connect(tbrStandard, &Toolbar::ButtonClick, this, &frmRTBEditor::tbrStandard_ButtonClick);
}
