#include "find/modFind.h"

#include "find/TextSearch.h"
#include "platform/control/RichTextBox.h"
#include "platform/dialogs/DialogHost.h"
#include "shell/frmRTBEditor.h"

std::int32_t glngFindStart = 0;
QString gstrFindWhat;
bool gblnFound = false;
std::int16_t gintFindResponse = 0;
bool gblnReplaceAll = false;
bool gblnWholeWord = false;
bool gblnMatchCase = false;
QString gstrReplaceWith;

int SearchOptions()
{
    return (gblnWholeWord ? RichTextBox::rtfWholeWord : 0) +
           (gblnMatchCase ? RichTextBox::rtfMatchCase : 0);
}

QString RestartPrompt()
{
    return QStringLiteral("Item was not found between current cursor location and ") +
           QStringLiteral("the end of the document. Do you want to restart the search ") +
           QStringLiteral("at the top of the document?");
}

namespace
{

// Finds and selects the first match at or after `start`; returns the position after it, or -1.
// The match is located with our own comparison, whose word rule also holds for marks, digits and
// letters outside the Basic Multilingual Plane, and which looks through the characters that stand
// for carried groups (a bookmark inside a word).
long findAndSelect(RichTextBox& editor, const QString& text, long start, int options)
{
    const textsearch::Match match =
        textsearch::findInDocument(*editor.document(), text, start, options);
    if (!match.found())
        return -1;
    editor.setSelStart(match.start);
    editor.setSelLength(match.end - match.start);
    return match.end;
}

} // namespace

void SearchDocument()
{
    RichTextBox& editor = *frmRTBEditor::instance()->rtbEditor;
    const int options = SearchOptions();
    const long end = findAndSelect(editor, gstrFindWhat, glngFindStart, options);
    if (end == -1) {
        gblnFound = false;
        if (gblnReplaceAll)
            gintFindResponse = MsgBoxResult::No;
        else
            gintFindResponse = static_cast<std::int16_t>(
                MsgBox(RestartPrompt(), MsgBoxStyle::YesNo | MsgBoxStyle::Question,
                       QStringLiteral("Find")));
        return;
    }
    gblnFound = true;
    glngFindStart = static_cast<std::int32_t>(end);
}
