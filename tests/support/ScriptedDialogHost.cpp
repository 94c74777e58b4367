#include "ScriptedDialogHost.h"

#include "platform/core/Error.h"

#include <gtest/gtest.h>

namespace
{
const char* kindName(ScriptedDialogHost::Kind kind)
{
    switch (kind) {
    case ScriptedDialogHost::Kind::MessageBox:
        return "message box";
    case ScriptedDialogHost::Kind::OpenFile:
        return "open dialog";
    case ScriptedDialogHost::Kind::SaveFile:
        return "save dialog";
    case ScriptedDialogHost::Kind::Font:
        return "font dialog";
    case ScriptedDialogHost::Kind::Color:
        return "colour dialog";
    case ScriptedDialogHost::Kind::Print:
        return "print dialog";
    }
    return "dialog";
}
} // namespace

ScriptedDialogHost::ScriptedDialogHost()
{
    DialogHost::install(this);
}

ScriptedDialogHost::~ScriptedDialogHost()
{
    DialogHost::install(nullptr);
    EXPECT_TRUE(m_script.empty()) << m_script.size() << " scripted dialog(s) never appeared";
}

int ScriptedDialogHost::count(Kind kind) const
{
    int n = 0;
    for (const Request& r : m_requests)
        n += r.kind == kind;
    return n;
}

ScriptedDialogHost::Step ScriptedDialogHost::take(Kind kind, const Request& request)
{
    m_requests.push_back(request);
    if (m_script.empty() || m_script.front().kind != kind) {
        ADD_FAILURE() << "unexpected " << kindName(kind) << " \"" << request.title.toStdString()
                      << "\": " << request.text.toStdString();
        return {kind, nullptr};
    }
    Step step = m_script.front();
    m_script.pop_front();
    return step;
}

void ScriptedDialogHost::answerMessageBox(int result)
{
    m_script.push_back({Kind::MessageBox, [result](Request&, void* out) {
                            *static_cast<int*>(out) = result;
                            return true;
                        }});
}

void ScriptedDialogHost::answerOpen(const QString& fileName)
{
    m_script.push_back({Kind::OpenFile, [fileName](Request&, void* out) {
                            if (fileName.isEmpty())
                                return false;
                            static_cast<FileDialogRequest*>(out)->fileName = fileName;
                            return true;
                        }});
}

void ScriptedDialogHost::answerSave(const QString& fileName)
{
    m_script.push_back({Kind::SaveFile, [fileName](Request&, void* out) {
                            if (fileName.isEmpty())
                                return false;
                            static_cast<FileDialogRequest*>(out)->fileName = fileName;
                            return true;
                        }});
}

void ScriptedDialogHost::answerFont(std::function<bool(FontChoice&)> answer)
{
    m_script.push_back({Kind::Font, [answer](Request&, void* out) {
                            return answer(*static_cast<FontChoice*>(out));
                        }});
}

void ScriptedDialogHost::answerColor(std::function<bool(QColor&)> answer)
{
    m_script.push_back({Kind::Color, [answer](Request&, void* out) {
                            return answer(*static_cast<QColor*>(out));
                        }});
}

void ScriptedDialogHost::answerPrint(const QString& pdfPath, bool selection)
{
    m_script.push_back({Kind::Print, [pdfPath, selection](Request& request, void* out) {
                            if (pdfPath.isEmpty())
                                return false;
                            auto* printer = static_cast<QPrinter*>(out);
                            printer->setOutputFormat(QPrinter::PdfFormat);
                            printer->setOutputFileName(pdfPath);
                            request.flags =
                                selection ? (request.flags | 0x1) : (request.flags & ~0x1L);
                            return true;
                        }});
}

void ScriptedDialogHost::failPrint()
{
    m_script.push_back({Kind::Print, [](Request&, void*) -> bool {
                            throw PlatformError(ErrorNumber::PrinterError,
                                                QStringLiteral("No printer is available."));
                        }});
}

int ScriptedDialogHost::messageBox(const QString& prompt, int style, const QString& title)
{
    Request request{Kind::MessageBox, title, prompt, style, {}, 0};
    Step step = take(Kind::MessageBox, request);
    int result = MsgBoxResult::Cancel;
    if (step.answer)
        step.answer(m_requests.back(), &result);
    return result;
}

bool ScriptedDialogHost::showFileDialog(FileDialogRequest& file)
{
    const Kind kind = file.save ? Kind::SaveFile : Kind::OpenFile;
    Request request{kind, file.title, file.fileName, 0, file, file.flags};
    Step step = take(kind, request);
    return step.answer && step.answer(m_requests.back(), &file);
}

bool ScriptedDialogHost::showFontDialog(FontChoice& font, long flags)
{
    Request request{Kind::Font, QString(), font.name, 0, {}, flags};
    Step step = take(Kind::Font, request);
    return step.answer && step.answer(m_requests.back(), &font);
}

bool ScriptedDialogHost::showColorDialog(QColor& color, long flags)
{
    Request request{Kind::Color, QString(), color.name(), 0, {}, flags};
    Step step = take(Kind::Color, request);
    return step.answer && step.answer(m_requests.back(), &color);
}

bool ScriptedDialogHost::showPrintDialog(PrintRequest& print, QPrinter& printer)
{
    Request request{Kind::Print, QString(), QString(), 0, {}, print.flags};
    Step step = take(Kind::Print, request);
    if (!step.answer || !step.answer(m_requests.back(), &printer))
        return false;
    print.flags = m_requests.back().flags;
    return true;
}
