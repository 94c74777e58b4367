// Cut, Copy, Paste, Clear and Select All. Document content moves through the clipboard in one
// format only, the registered "Rich Text Format".
#include "shell/frmRTBEditor.h"

#include "clipboard/cCustomClipboard.h"
#include "platform/clipboard/ClipboardLayer.h"
#include "platform/control/RichTextBox.h"
#include "platform/core/Error.h"

namespace
{

// Runs the steps with the clipboard open on `owner`; any error skips to closing it again.
void withClipboardOpen(cCustomClipboard& clipboard, quintptr owner,
                       const std::function<void()>& steps)
{
    ignoreErrors([&] {
        clipboard.ClipboardOpen(owner);
        steps();
    });
    clipboard.ClipboardClose();
}

} // namespace

void frmRTBEditor::RegisterRichTextFormat()
{
    if (!m_cClip)
        m_cClip = std::make_shared<cCustomClipboard>();
    m_lId = m_cClip->AddFormat(QStringLiteral("Rich Text Format"));
}

void frmRTBEditor::mnuCut_Click()
{
    ignoreErrors([this] { TakeUndoSnapshot(); });
    ignoreErrors([this] { mnuCopy_Click(); });
    ignoreErrors([this] { rtbEditor->setSelText(QString()); });
}

void frmRTBEditor::mnuCopy_Click()
{
    withClipboardOpen(*m_cClip, quintptr(winId()), [this] {
        m_cClip->SetTextData(m_lId, QString::fromLatin1(rtbEditor->SelRTF()));
    });
    UpdateEditCommands();
}

void frmRTBEditor::mnuPaste_Click()
{
    ProcessPaste();
}

void frmRTBEditor::ProcessPaste()
{
    TakeUndoSnapshot();
    withClipboardOpen(*m_cClip, quintptr(winId()), [this] {
        if (!m_cClip->IsDataAvailableForFormat(m_lId).toBool())
            return;
        QString rtf;
        if (m_cClip->GetTextData(m_lId, rtf))
            rtbEditor->setSelRTF(ansi::encode(rtf));
    });
}

void frmRTBEditor::mnuDelete_Click()
{
    TakeUndoSnapshot();
    if (rtbEditor->SelText().isEmpty())
        rtbEditor->setSelLength(1);
    rtbEditor->setSelText(QString());
}

void frmRTBEditor::mnuSelectAll_Click()
{
    rtbEditor->setSelStart(0);
    rtbEditor->setSelLength(rtbEditor->Text().size());
}
