// Character formatting: bold, italic and underline toggles, colour and font through the shared
// common dialog, raised and lowered text, and lower or upper case.
#include "shell/frmRTBEditor.h"

#include "formatting/CaseConversion.h"
#include "platform/bars/Toolbar.h"
#include "platform/control/RichTextBox.h"
#include "platform/core/Error.h"

namespace
{

// The common dialog's font flags: screen and printer fonts, effects (strikeout, underline,
// colour) and an Apply button.
constexpr long FontDialogFlags = 0x303;

// Factors that turn a point size into a baseline offset in twips: a quarter of the size.
constexpr double SubscriptFactor = -5.0;
constexpr double SuperscriptFactor = 5.0;

using BoolRead = std::optional<bool> (RichTextBox::*)() const;
using BoolWrite = void (RichTextBox::*)(std::optional<bool>);

// A toggle over a selection that is partly set applies the set state to all of it, so the
// result is one state that the button can show.
std::optional<bool> toggled(std::optional<bool> current)
{
    return current ? !*current : true;
}

int buttonValueFor(std::optional<bool> state)
{
    return state.value_or(false) ? 1 : 0;
}

void toggleCharAttribute(frmRTBEditor& window, BoolRead read, BoolWrite write, const char* key)
{
    window.TakeUndoSnapshot();
    RichTextBox& editor = *window.rtbEditor;
    (editor.*write)(toggled((editor.*read)()));
    window.tbrFormatting->Buttons(QString::fromLatin1(key))
        .setValue(buttonValueFor((editor.*read)()));
}

// Runs a dialog command: a cancelled dialog ends it silently, any other failure shows the error
// report under `title`.
void runDialogCommand(frmRTBEditor& window, const QString& title, const std::function<void()>& body)
{
    catchErrors(body, [&window, &title](const PlatformError& error) {
        if (error.number() != ErrorNumber::DialogCancelled)
            window.ShowErrorReport(title, error);
    });
}

void shiftBaseline(frmRTBEditor& window, double factor)
{
    window.TakeUndoSnapshot();
    RichTextBox& editor = *window.rtbEditor;
    const std::optional<double> size = editor.SelFontSize();
    if (!size)
        return; // several sizes: no single offset fits them all
    editor.setSelCharOffset(*size * factor);
}

void recase(frmRTBEditor& window, CaseConversion conversion)
{
    window.TakeUndoSnapshot();
    recaseSelection(*window.rtbEditor, conversion);
}

} // namespace

void frmRTBEditor::ToggleBold()
{
    toggleCharAttribute(*this, &RichTextBox::SelBold, &RichTextBox::setSelBold, "Bold");
}

void frmRTBEditor::ToggleItalic()
{
    toggleCharAttribute(*this, &RichTextBox::SelItalic, &RichTextBox::setSelItalic, "Italic");
}

void frmRTBEditor::ToggleUnderline()
{
    toggleCharAttribute(*this, &RichTextBox::SelUnderline, &RichTextBox::setSelUnderline,
                        "Underline");
}

void frmRTBEditor::SelectColor()
{
    runDialogCommand(*this, QStringLiteral("Color Error"), [this] {
        TakeUndoSnapshot();
        // Flags and Color stay as the last dialog left them, so the colour carries over.
        dlgRTBEditor.CancelError = true;
        dlgRTBEditor.ShowColor();
        rtbEditor->setSelColor(QColor::fromRgb(dlgRTBEditor.Color.rgb()));
    });
}

void frmRTBEditor::mnuFont_Click()
{
    runDialogCommand(*this, QStringLiteral("Font Error"), [this] {
        TakeUndoSnapshot();
        dlgRTBEditor.CancelError = true;
        dlgRTBEditor.Flags = FontDialogFlags;
        dlgRTBEditor.ShowFont();
        // Every attribute is written, so a mixed selection ends up with one font throughout.
        rtbEditor->setSelFontName(dlgRTBEditor.FontName);
        rtbEditor->setSelFontSize(static_cast<double>(static_cast<float>(dlgRTBEditor.FontSize)));
        rtbEditor->setSelItalic(dlgRTBEditor.FontItalic);
        rtbEditor->setSelBold(dlgRTBEditor.FontBold);
        rtbEditor->setSelUnderline(dlgRTBEditor.FontUnderline);
        rtbEditor->setSelStrikeThru(dlgRTBEditor.FontStrikethru);
        rtbEditor->setSelColor(QColor::fromRgb(dlgRTBEditor.Color.rgb()));
    });
}

void frmRTBEditor::mnuSubscript_Click()
{
    shiftBaseline(*this, SubscriptFactor);
}

void frmRTBEditor::mnuSuperscript_Click()
{
    shiftBaseline(*this, SuperscriptFactor);
}

void frmRTBEditor::mnuLowercase_Click()
{
    recase(*this, CaseConversion::Lower);
}

void frmRTBEditor::mnuUpperCase_Click()
{
    recase(*this, CaseConversion::Upper);
}
