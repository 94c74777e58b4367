// Paragraph formatting: alignment, bullets and the Paragraph dialog.
#include "shell/frmRTBEditor.h"

#include "formatting/frmParagraph.h"
#include "platform/bars/Toolbar.h"
#include "platform/control/RichTextBox.h"
#include "platform/core/Error.h"

namespace
{

// Sets the alignment of the selected paragraphs and presses its toolbar button; the button group
// releases the other two. Each step runs even when the one before it failed.
void selectAlignment(frmRTBEditor& window, int alignment, const char* key)
{
    ignoreErrors([&window] { window.TakeUndoSnapshot(); });
    ignoreErrors([&window, alignment] { window.rtbEditor->setSelAlignment(alignment); });
    ignoreErrors(
        [&window, key] { window.tbrFormatting->Buttons(QString::fromLatin1(key)).setValue(1); });
}

} // namespace

void frmRTBEditor::SelectAlignLeft()
{
    selectAlignment(*this, RichTextBox::rtfLeft, "AlignLeft");
}

void frmRTBEditor::SelectAlignCenter()
{
    selectAlignment(*this, RichTextBox::rtfCenter, "AlignCenter");
}

void frmRTBEditor::SelectAlignRight()
{
    selectAlignment(*this, RichTextBox::rtfRight, "AlignRight");
}

void frmRTBEditor::ToggleBullets()
{
    ignoreErrors([this] { TakeUndoSnapshot(); });
    ignoreErrors([this] {
        // Paragraphs that are partly bulleted all get bullets, so the result is one state.
        const std::optional<bool> current = rtbEditor->SelBullet();
        rtbEditor->setSelBullet(current ? !*current : true);
    });
    ignoreErrors([this] {
        tbrFormatting->Buttons(QStringLiteral("Bullets"))
            .setValue(rtbEditor->SelBullet().value_or(false) ? 1 : 0);
    });
}

void frmRTBEditor::mnuBullets_Click()
{
    ToggleBullets();
}

void frmRTBEditor::mnuParagraph_Click()
{
    // A fresh dialog for each showing, gone when it closes.
    frmParagraph dialog(this);
    dialog.exec();
}
