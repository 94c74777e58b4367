// Keeping the formatting buttons and the status panels in step with the selection.
#include "shell/frmRTBEditor.h"

#include "clipboard/cCustomClipboard.h"
#include "platform/bars/StatusBar.h"
#include "platform/bars/Toolbar.h"
#include "platform/control/RichTextBox.h"
#include "platform/core/Error.h"
#include "shell/DocumentRecovery.h"

#include <QLocale>

namespace
{

int pressedIf(std::optional<bool> attribute)
{
    return attribute.value_or(false) ? 1 : 0;
}

QString fontPanelText(const RichTextBox& editor)
{
    QString text = QStringLiteral("Font: ");
    if (const std::optional<QString> name = editor.SelFontName())
        text += *name;
    if (const std::optional<double> size = editor.SelFontSize())
        text += QLatin1Char(' ') + QLocale().toString(*size, 'g', QLocale::FloatingPointShortest);
    return text;
}

} // namespace

void frmRTBEditor::rtbEditor_SelChange()
{
    tbrFormatting->Buttons(QStringLiteral("Bold")).setValue(pressedIf(rtbEditor->SelBold()));
    tbrFormatting->Buttons(QStringLiteral("Italic")).setValue(pressedIf(rtbEditor->SelItalic()));
    tbrFormatting->Buttons(QStringLiteral("Underline"))
        .setValue(pressedIf(rtbEditor->SelUnderline()));

    // Paragraphs of different alignment leave the group as it was.
    if (const std::optional<int> alignment = rtbEditor->SelAlignment()) {
        if (*alignment == RichTextBox::rtfLeft)
            tbrFormatting->Buttons(QStringLiteral("AlignLeft")).setValue(1);
        else if (*alignment == RichTextBox::rtfCenter)
            tbrFormatting->Buttons(QStringLiteral("AlignCenter")).setValue(1);
        else if (*alignment == RichTextBox::rtfRight)
            tbrFormatting->Buttons(QStringLiteral("AlignRight")).setValue(1);
    }
    tbrFormatting->Buttons(QStringLiteral("Bullets")).setValue(pressedIf(rtbEditor->SelBullet()));
    tbrFormatting->Refresh();

    const long position = rtbEditor->SelStart();
    const long line = rtbEditor->GetLineFromChar(position);
    const long column = GetColumnFromChar(*rtbEditor, line, position);
    sbrMain->Panels(QStringLiteral("MainText"))
        .setText(QStringLiteral("Line %1     Pos %2").arg(line + 1).arg(column + 1));
    sbrMain->Panels(QStringLiteral("FontInfo")).setText(fontPanelText(*rtbEditor));
}

void frmRTBEditor::rtbEditor_Change()
{
    gblnDocSaved = false;
    m_recovery->noteChange();
}

long frmRTBEditor::GetColumnFromChar(const RichTextBox& box, long line, long position) const
{
    // The characters between the first character of the caret's displayed line and the caret,
    // read from the layout rather than by asking for the line of every character before it.
    if (line == 0)
        return position;
    return position - box.lineStartFromChar(position);
}

void frmRTBEditor::rtbEditor_KeyUp(int, int)
{
    UpdateEditCommands();
}

void frmRTBEditor::rtbEditor_MouseUp(int, int, float, float)
{
    UpdateEditCommands();
}

void frmRTBEditor::UpdateEditCommands()
{
    const bool selection = rtbEditor->SelLength() > 0;
    mnuCut->setEnabled(selection);
    mnuCopy->setEnabled(selection);
    tbrStandard->Buttons(QStringLiteral("Cut")).setEnabled(selection);
    tbrStandard->Buttons(QStringLiteral("Copy")).setEnabled(selection);
    const bool paste = CanPaste();
    mnuPaste->setEnabled(paste);
    tbrStandard->Buttons(QStringLiteral("Paste")).setEnabled(paste);
}

bool frmRTBEditor::CanPaste()
{
    bool result = false;
    ignoreErrors([this, &result] {
        m_cClip->ClipboardOpen(quintptr(winId()));
        result = m_cClip->IsDataAvailableForFormat(m_lId).toBool();
    });
    m_cClip->ClipboardClose();
    return result;
}
