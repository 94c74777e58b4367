// The Insert menu: the date and time, and pictures.
#include "shell/frmRTBEditor.h"

#include "insertion/frmDateTime.h"

#include <QAction>

void frmRTBEditor::connectInsertionCommands()
{
    connect(mnuDateTime, &QAction::triggered, this, &frmRTBEditor::mnuDateTime_Click);
    connect(mnuPicture, &QAction::triggered, this, &frmRTBEditor::mnuPicture_Click);
}

void frmRTBEditor::mnuDateTime_Click()
{
    frmDateTime dialog;
    dialog.exec();
}
