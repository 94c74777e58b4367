#pragma once

#include "platform/dialogs/DialogHost.h"
#include "support/QtPrinters.h"

#include <QPrinter>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

// A dialog host for tests: answers each dialog from a script and records every request. A dialog
// the script did not expect fails the test and is answered with Cancel. Installed for its lifetime.
class ScriptedDialogHost : public DialogHost
{
public:
    enum class Kind { MessageBox, OpenFile, SaveFile, Font, Color, Print };

    struct Request {
        Kind kind;
        QString title;
        QString text;
        int style = 0;
        FileDialogRequest file;
        long flags = 0;
        QWidget* owner = DialogHost::parentWindow(); // the window it was shown over
    };

    ScriptedDialogHost();
    ~ScriptedDialogHost() override;

    // Script entries, answered in order.
    void answerMessageBox(int result);
    void answerOpen(const QString& fileName); // empty: cancel
    void answerSave(const QString& fileName); // empty: cancel
    void answerFont(std::function<bool(FontChoice&)> answer);
    void answerColor(std::function<bool(QColor&)> answer);
    // Prints to a PDF file; selection=true reports the "selection" choice. Empty path: cancel.
    void answerPrint(const QString& pdfPath, bool selection = false);
    void failPrint(); // the host raises a printer error

    const std::vector<Request>& requests() const { return m_requests; }
    const Request& last() const { return m_requests.back(); }
    bool scriptDone() const { return m_script.empty(); }
    int count(Kind kind) const;

    int messageBox(const QString& prompt, int style, const QString& title) override;
    bool showFileDialog(FileDialogRequest& request) override;
    bool showFontDialog(FontChoice& font, long flags) override;
    bool showColorDialog(QColor& color, long flags) override;
    bool showPrintDialog(PrintRequest& request, QPrinter& printer) override;

private:
    struct Step {
        Kind kind;
        std::function<bool(Request&, void*)> answer;
    };
    Step take(Kind kind, const Request& request);

    std::deque<Step> m_script;
    std::vector<Request> m_requests;
};
