#include "platform/dialogs/QtDialogHost.h"

#include "platform/core/Error.h"
#include "platform/dialogs/FontDialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace
{

QPointer<QWidget>& parentWindowRef()
{
    static QPointer<QWidget> window;
    return window;
}

DialogHost*& installedHost()
{
    static DialogHost* host = nullptr;
    return host;
}

QMessageBox::Icon iconForStyle(int style)
{
    switch (style & MsgBoxStyle::IconMask) {
    case MsgBoxStyle::Critical:
        return QMessageBox::Critical;
    case MsgBoxStyle::Question:
        return QMessageBox::Question;
    case MsgBoxStyle::Exclamation:
        return QMessageBox::Warning;
    case MsgBoxStyle::Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
};

ButtonSet buttonsForStyle(int style)
{
    switch (style & MsgBoxStyle::ButtonsMask) {
    case MsgBoxStyle::OKCancel:
        return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok};
    case MsgBoxStyle::YesNoCancel:
        return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes};
    case MsgBoxStyle::YesNo:
        return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes};
    default:
        return {QMessageBox::Ok, QMessageBox::Ok};
    }
}

int resultFor(int clicked, int style)
{
    switch (clicked) {
    case QMessageBox::Ok:
        return MsgBoxResult::OK;
    case QMessageBox::Yes:
        return MsgBoxResult::Yes;
    case QMessageBox::No:
        return MsgBoxResult::No;
    default:
        // Closing the box without choosing counts as Cancel, or as the only way out there is.
        return (style & MsgBoxStyle::ButtonsMask) == MsgBoxStyle::YesNo ? MsgBoxResult::No
                                                                        : MsgBoxResult::Cancel;
    }
}

QString stripDefaultExt(const QString& defaultExt)
{
    QString ext = defaultExt;
    if (ext.startsWith(QLatin1String("*.")))
        ext = ext.mid(2);
    else if (ext.startsWith(QLatin1Char('.')))
        ext = ext.mid(1);
    return ext;
}

} // namespace

QStringList qtNameFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        result << QStringLiteral("%1 (%2)").arg(parts.at(i), patterns);
    }
    return result;
}

DialogHost& DialogHost::current()
{
    static QtDialogHost qtHost;
    return installedHost() ? *installedHost() : qtHost;
}

void DialogHost::install(DialogHost* host)
{
    installedHost() = host;
}

void DialogHost::setParentWindow(QWidget* window)
{
    parentWindowRef() = window;
}

QWidget* DialogHost::parentWindow()
{
    return parentWindowRef();
}

DialogHost::OwnerScope::OwnerScope(QWidget* owner) : m_previous(parentWindowRef())
{
    parentWindowRef() = owner;
}

DialogHost::OwnerScope::~OwnerScope()
{
    parentWindowRef() = m_previous;
}

int MsgBox(const QString& prompt, int style, const QString& title)
{
    // A message box without a title of its own is titled with the program's name.
    const QString shownTitle = title.isEmpty() ? QStringLiteral("Wordlark") : title;
    return DialogHost::current().messageBox(prompt, style, shownTitle);
}

int QtDialogHost::messageBox(const QString& prompt, int style, const QString& title)
{
    const ButtonSet set = buttonsForStyle(style);
    QWidget* owner = parentWindow();
    QMessageBox box(iconForStyle(style), title, prompt, set.buttons, owner);
    box.setDefaultButton(set.defaultButton);
    const int answer = resultFor(box.exec(), style);
    // The keyboard goes back to the window the message came from, whatever the window manager
    // activates when the message closes.
    if (owner && owner->isVisible())
        owner->activateWindow();
    return answer;
}

bool QtDialogHost::showFileDialog(FileDialogRequest& request)
{
    constexpr long OverwritePrompt = 0x2;
    constexpr long FileMustExist = 0x1000;

    QFileDialog dialog(parentWindow());
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!request.title.isEmpty())
        dialog.setWindowTitle(request.title);
    const QStringList filters = qtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    const int index = request.filterIndex > 0 ? request.filterIndex - 1 : 0;
    if (index < filters.size())
        dialog.selectNameFilter(filters.at(index));
    dialog.setDefaultSuffix(stripDefaultExt(request.defaultExt));
    dialog.setFileMode(!request.save && (request.flags & FileMustExist) ? QFileDialog::ExistingFile
                                                                        : QFileDialog::AnyFile);
    if (request.save && !(request.flags & OverwritePrompt))
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    request.fileName = dialog.selectedFiles().constFirst();
    request.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
}

bool QtDialogHost::showFontDialog(FontChoice& font, long flags)
{
    FontChoice initial = font;
    if (initial.name.isEmpty())
        initial.name = QStringLiteral("Courier New");
    FontDialog dialog(initial, flags, parentWindow());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = dialog.choice();
    return true;
}

bool QtDialogHost::showColorDialog(QColor& color, long)
{
    const QColor chosen = QColorDialog::getColor(color, parentWindow());
    if (!chosen.isValid())
        return false;
    color = chosen;
    return true;
}

bool QtDialogHost::showPrintDialog(PrintRequest& request, QPrinter& printer)
{
    constexpr long Selection = 0x1;
    constexpr long NoSelection = 0x4;

    if (QPrinterInfo::availablePrinters().isEmpty())
        throw PlatformError(ErrorNumber::PrinterError,
                            QStringLiteral("No printer is available on this system."));
    QPrintDialog dialog(&printer, parentWindow());
    QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintShowPageSize;
    if (!(request.flags & NoSelection))
        options |= QAbstractPrintDialog::PrintSelection;
    dialog.setOptions(options);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (printer.printRange() == QPrinter::Selection)
        request.flags |= Selection;
    else
        request.flags &= ~Selection;
    return true;
}
