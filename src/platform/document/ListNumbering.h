#pragma once

#include "platform/document/DocumentFormat.h"

#include <QHash>
#include <QString>
#include <QTextListFormat>

#include <array>

class QTextBlock;
class QTextDocument;
class QTextList;

// The numbers of numbered paragraphs. Qt 6.4 draws a list's number as its own count from 1 with
// one prefix and suffix; a document's lists also start at other numbers, show the numbers of the
// levels above ("1.2."), restart a level after each item of a level above, and carry prefixes
// wider than the indent. So a numbered list keeps its number style in a property of its own and
// gives Qt no style to draw: the editor view and printing draw the number from here, and saving
// writes the same text.
namespace docformat
{

// Makes `format` a numbered list in `style`, drawn by Wordlark instead of Qt.
void setListNumberStyle(QTextListFormat& format, QTextListFormat::Style style);
// Whether the list's paragraphs show numbers drawn by Wordlark.
bool isNumberedList(const QTextListFormat& format);
// Gives every numbered list of the document Qt's own style for its numbers, for Qt's HTML, ODF
// and Markdown writers; the document is then drawn with Qt's numbers (for documents that are
// only written).
void giveNumberedListsQtStyles(QTextDocument& document);

// The style of the list's numbers or bullets: the number style of a numbered list, Qt's style
// of any other.
QTextListFormat::Style listStyleOf(const QTextListFormat& format);
// The outline level of the list, 0..8.
int listLevelOf(const QTextListFormat& format);
// The first number of the list (1 unless the document says otherwise).
int listStartOf(const QTextListFormat& format);

// `n` written in `style`: "3", "c", "C", "iii", "III"; empty for no number.
QString numberText(int n, QTextListFormat::Style style);

// The outline a list is a level of: its ListGroup, or the list alone when it has none.
qint64 outlineKeyOf(const QTextList& list);

// Numbers the paragraphs of numbered lists, given in document order. Lists with the same
// ListGroup are the levels of one outline: an item counts on from the last item of its level
// and restarts the levels below it.
class ListNumberer
{
public:
    // The number the paragraph of `list` shows, with its prefix, suffix and the numbers of the
    // levels above as its level text says.
    QString next(const QTextList& list);

private:
    struct Outline {
        std::array<int, 9> counter{};
        std::array<bool, 9> counting{};
        std::array<QTextListFormat::Style, 9> style{};
    };
    QHash<qint64, Outline> m_outlines;
};

// The numbers of every paragraph of the given lists, which are the levels of one outline, by
// paragraph number.
QHash<int, QString> numbersOfOutline(const QList<const QTextList*>& levels);

} // namespace docformat
