#pragma once

#include <QList>

class QPrinter;
class QTextDocument;

// Printing a document the way the editor shows it: laid out in one long page with room for
// raised and lowered text, then cut into the printer's pages between lines.
namespace documentprinting
{

// Where each page's slice of the document, laid out whole, starts, for pages whose text is `height`
// high: a page ends before the first line that would cross its bottom, and a paragraph that asks
// for a page break before or after it gets one. Only a line or table taller than a page is cut.
QList<qreal> pageStarts(const QTextDocument& document, qreal height);

// Prints `document`, a copy made for printing (its layout and margins are set here), on pages
// of the printer's size with margins of 2 cm, numbered at their foot, as Qt prints a document.
void print(QTextDocument& document, QPrinter& printer);

} // namespace documentprinting
