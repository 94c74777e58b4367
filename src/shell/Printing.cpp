// Printing the document or the selection.
#include "shell/frmRTBEditor.h"

#include "platform/control/RichTextBox.h"
#include "platform/core/Error.h"

namespace
{
constexpr long PrintSelection = 0x1;
constexpr long PrintNoSelection = 0x4;
constexpr long PrintFlags = 0x100108; // return the printer, no page numbers, no print-to-file
} // namespace

void frmRTBEditor::mnuPrint_Click()
{
    catchErrors(
        [this] {
            dlgRTBEditor.CancelError = true;
            dlgRTBEditor.Flags = PrintFlags;
            if (rtbEditor->SelLength() == 0)
                dlgRTBEditor.Flags += PrintNoSelection;
            dlgRTBEditor.ShowPrinter();
            if (!(dlgRTBEditor.Flags & PrintSelection))
                rtbEditor->setSelLength(0);
            rtbEditor->SelPrint(dlgRTBEditor.hDC());
        },
        [this](const PlatformError& error) {
            if (error.number() != ErrorNumber::DialogCancelled)
                ShowErrorReport(QStringLiteral("Print Error"), error);
        });
}
