#pragma once

#include "platform/dialogs/DialogHost.h"

// The real dialogs of the desktop, through Qt.
class QtDialogHost : public DialogHost
{
public:
    int messageBox(const QString& prompt, int style, const QString& title) override;
    bool showFileDialog(FileDialogRequest& request) override;
    bool showFontDialog(FontChoice& font, long flags) override;
    bool showColorDialog(QColor& color, long flags) override;
    bool showPrintDialog(PrintRequest& request, QPrinter& printer) override;
};

// "Rich Text(*.rtf)|*.rtf|All(*.*)|*.*" as Qt name filters.
QStringList qtNameFilters(const QString& filter);
