// Cut, Copy, Paste, Clear and Select All. Paste reads the registered "Rich Text Format" only;
// Copy offers the selection as RTF, plain text and HTML, so that every kind of program pastes it.
#include "shell/frmRTBEditor.h"

#include "clipboard/cCustomClipboard.h"
#include "platform/clipboard/ClipboardLayer.h"
#include "platform/control/RichTextBox.h"
#include "platform/core/Error.h"
#include "platform/document/ListNumbering.h"
#include "platform/rtf/Rtf.h"

#include <QTextDocument>

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

// Text as the Unicode text format carries it: UTF-16, little-endian, ending in a zero character.
ByteList unicodeTextBlock(const QString& text)
{
    QByteArray bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    bytes.append(2, '\0');
    return ByteList(0, bytes);
}

// The HTML of RTF, made when a program asks for it: building HTML of a long selection takes longer
// than the rest of Copy, and most programs paste the RTF or the text.
QByteArray htmlOfRtf(const QByteArray& rtf)
{
    QTextDocument document;
    try {
        rtf::read(rtf, document);
    } catch (const rtf::FormatError&) {
        return QByteArray(); // the RTF was written here: this does not happen
    }
    // Qt's HTML writer knows only Qt's list styles.
    docformat::giveNumberedListsQtStyles(document);
    return document.toHtml().toUtf8();
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
    // Emptying the clipboard first makes this program its only owner: nothing another program
    // copied earlier stays beside the selection for a paste elsewhere to prefer.
    withClipboardOpen(*m_cClip, quintptr(winId()), [this] {
        m_cClip->ClearClipboard();
        const QByteArray rtf = rtbEditor->SelRTF();
        m_cClip->SetTextData(m_lId, QString::fromLatin1(rtf));
        m_cClip->SetBinaryData(win32::CF_UNICODETEXT, unicodeTextBlock(rtbEditor->SelPlainText()));
        m_cClip->SetBinaryDataLater(m_cClip->AddFormat(QStringLiteral("text/html")),
                                    [rtf] { return htmlOfRtf(rtf); });
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
