#include "formatting/CaseConversion.h"

#include "platform/control/RichTextBox.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

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

// The runs of a selection of table cells: the text of every selected cell (Qt ends such a
// selection at the start of its last cell).
std::vector<TextRun> textRunsInCells(const QTextDocument& document, const QTextCursor& selection)
{
    std::vector<TextRun> runs;
    const QTextTable* table = selection.currentTable();
    int firstRow = 0, rows = 0, firstColumn = 0, columns = 0;
    selection.selectedTableCells(&firstRow, &rows, &firstColumn, &columns);
    if (!table || rows <= 0 || columns <= 0)
        return textRunsIn(document, selection.selectionStart(), selection.selectionEnd());
    for (int r = firstRow; r < firstRow + rows; ++r)
        for (int c = firstColumn; c < firstColumn + columns; ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() != r || cell.column() != c)
                continue;
            const std::vector<TextRun> inCell =
                textRunsIn(document, cell.firstPosition(), cell.lastPosition());
            runs.insert(runs.end(), inCell.begin(), inCell.end());
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
    QTextCursor selection(&document);
    selection.setPosition(start);
    selection.setPosition(end, QTextCursor::KeepAnchor);
    const std::vector<TextRun> runs = selection.hasComplexSelection()
                                          ? textRunsInCells(document, selection)
                                          : textRunsIn(document, start, end);

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
