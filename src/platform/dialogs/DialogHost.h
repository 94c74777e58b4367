#pragma once

#include <QColor>
#include <QString>

#include <memory>

class QPrinter;
class QWidget;

// Message-box styles and answers, in the classic numbering that the commands use.
namespace MsgBoxStyle
{
constexpr int OKOnly = 0;
constexpr int OKCancel = 1;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int Critical = 16;
constexpr int Question = 32;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int ButtonsMask = 0x7;
constexpr int IconMask = 0x70;
} // namespace MsgBoxStyle

namespace MsgBoxResult
{
constexpr int OK = 1;
constexpr int Cancel = 2;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace MsgBoxResult

// What a file dialog is asked to show and, afterwards, what the user chose.
struct FileDialogRequest {
    bool save = false;
    QString title;
    QString filter;      // "Description|pattern|Description|pattern"
    int filterIndex = 0; // 1-based; 0 means the first entry
    QString fileName;
    QString defaultExt;
    long flags = 0;
};

struct FontChoice {
    QString name;
    double size = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethru = false;
    QColor color = Qt::black;
};

struct PrintRequest {
    long flags = 0;
};

// Every modal dialog and message box goes through one host. The Qt host shows the real dialogs;
// tests install a scripted host that answers from a script and records each request.
class DialogHost
{
public:
    virtual ~DialogHost() = default;

    // Returns one of MsgBoxResult.
    virtual int messageBox(const QString& prompt, int style, const QString& title) = 0;
    // Each returns false when the user cancelled; on true the request holds the answer.
    virtual bool showFileDialog(FileDialogRequest& request) = 0;
    virtual bool showFontDialog(FontChoice& font, long flags) = 0;
    virtual bool showColorDialog(QColor& color, long flags) = 0;
    // On true `flags` holds the dialog's result flags and `printer` the chosen printer.
    virtual bool showPrintDialog(PrintRequest& request, QPrinter& printer) = 0;

    static DialogHost& current();
    // Installs `host` (not owned); nullptr restores the Qt host.
    static void install(DialogHost* host);
    // The window that dialogs are shown over.
    static void setParentWindow(QWidget* window);
    static QWidget* parentWindow();

    // While one lives, dialogs and message boxes are shown over `owner` instead: the messages of
    // a modeless window belong to it, stay above it, and give the focus back to it.
    class OwnerScope
    {
    public:
        explicit OwnerScope(QWidget* owner);
        ~OwnerScope();
        OwnerScope(const OwnerScope&) = delete;
        OwnerScope& operator=(const OwnerScope&) = delete;

    private:
        QWidget* m_previous;
    };
};

// Shows a message box through the current host.
int MsgBox(const QString& prompt, int style = MsgBoxStyle::OKOnly,
           const QString& title = QString());
