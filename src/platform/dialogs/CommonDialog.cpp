#include "platform/dialogs/CommonDialog.h"

#include "platform/core/Error.h"
#include "platform/dialogs/DialogHost.h"

#include <QPrinter>

CommonDialog::CommonDialog() = default;
CommonDialog::~CommonDialog() = default;

void CommonDialog::cancelled()
{
    if (CancelError)
        raiseError(ErrorNumber::DialogCancelled);
}

void CommonDialog::showFileDialog(bool save)
{
    FileDialogRequest request;
    request.save = save;
    request.title = DialogTitle;
    request.filter = Filter;
    request.filterIndex = FilterIndex;
    request.fileName = FileName;
    request.defaultExt = DefaultExt;
    request.flags = Flags;
    if (!DialogHost::current().showFileDialog(request)) {
        cancelled();
        return;
    }
    FileName = request.fileName;
    FilterIndex = request.filterIndex;
}

void CommonDialog::ShowOpen()
{
    showFileDialog(false);
}

void CommonDialog::ShowSave()
{
    showFileDialog(true);
}

void CommonDialog::ShowPrinter()
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    PrintRequest request{Flags};
    if (!DialogHost::current().showPrintDialog(request, *printer)) {
        cancelled();
        return;
    }
    Flags = request.flags;
    m_printer = std::move(printer);
}

void CommonDialog::ShowFont()
{
    FontChoice font{FontName, FontSize, FontBold, FontItalic, FontUnderline, FontStrikethru, Color};
    if (!DialogHost::current().showFontDialog(font, Flags)) {
        cancelled();
        return;
    }
    FontName = font.name;
    FontSize = font.size;
    FontBold = font.bold;
    FontItalic = font.italic;
    FontUnderline = font.underline;
    FontStrikethru = font.strikethru;
    Color = font.color;
}

void CommonDialog::ShowColor()
{
    QColor color = Color;
    if (!DialogHost::current().showColorDialog(color, Flags)) {
        cancelled();
        return;
    }
    Color = color;
}
