#include "formatting/CaseConversion.h"

#include "platform/control/RichTextBox.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <vector>

namespace
{

// One stretch of selected text that shares a character format.
struct TextRun {
    int position;
    int length;
    QTextCharFormat format;
};

std::vector<TextRun> textRunsIn(const QTextDocument& document, int start, int end)
{
    std::vector<TextRun> runs;
    for (QTextBlock block = document.findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int from = std::max(start, fragment.position());
            const int to = std::min(end, fragment.position() + fragment.length());
            if (from >= to || fragment.charFormat().isImageFormat())
                continue;
            runs.push_back({from, to - from, fragment.charFormat()});
        }
    }
    return runs;
}

QString converted(const QString& text, CaseConversion conversion)
{
    return conversion == CaseConversion::Lower ? text.toLower() : text.toUpper();
}

} // namespace

void recaseSelection(RichTextBox& editor, CaseConversion conversion)
{
    const int start = static_cast<int>(editor.SelStart());
    const int end = start + static_cast<int>(editor.SelLength());
    if (start == end)
        return;
    QTextDocument& document = *editor.document();
    const std::vector<TextRun> runs = textRunsIn(document, start, end);

    // Work from the end so that a run whose length changes ("ß" -> "SS") does not move the
    // runs still to be converted.
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    int lengthChange = 0;
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        cursor.setPosition(run->position);
        cursor.setPosition(run->position + run->length, QTextCursor::KeepAnchor);
        const QString before = cursor.selectedText();
        const QString after = converted(before, conversion);
        if (after == before)
            continue;
        cursor.insertText(after, run->format);
        lengthChange += static_cast<int>(after.size() - before.size());
    }
    cursor.endEditBlock();
    editor.setSelStart(end + lengthChange);
}
