#pragma once

#include <QColor>
#include <QString>

#include <memory>

class QPrinter;

// The one common dialog object that all commands share. Each property keeps its value until a
// command sets it again; with CancelError set, Cancel raises error 32755.
class CommonDialog
{
public:
    CommonDialog();
    ~CommonDialog();

    bool CancelError = false;
    long Flags = 0;
    QString Filter;
    QString DefaultExt;
    QString DialogTitle;
    QString FileName;
    int FilterIndex = 0;
    QColor Color = Qt::black;
    QString FontName;
    double FontSize = 0;
    bool FontBold = false;
    bool FontItalic = false;
    bool FontUnderline = false;
    bool FontStrikethru = false;

    // The printer chosen by the last ShowPrinter (stands in for the device context).
    QPrinter* hDC() const { return m_printer.get(); }

    void ShowOpen();
    void ShowSave();
    void ShowPrinter();
    void ShowFont();
    void ShowColor();

private:
    void showFileDialog(bool save);
    void cancelled();

    std::unique_ptr<QPrinter> m_printer;
};
