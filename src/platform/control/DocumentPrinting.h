#pragma once

#include <QList>

#include <functional>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class QPrinter;
class QTextDocument;
class ShiftedTextLayout;

// Printing a document the way the editor shows it: laid out in one long page with room for
// raised and lowered text, then cut into the printer's pages between lines.
namespace documentprinting
{

// Where each page's slice of the document, laid out whole, starts, for pages whose text is `height`
// high: a page ends before the first line that would cross its bottom, and a paragraph that asks
// for a page break before or after it gets one. Only a line or table taller than a page is cut.
QList<qreal> pageStarts(const QTextDocument& document, qreal height);

// Gives `document`, a copy made for printing, the layout that makes room for raised and lowered
// text, measuring for `device`; lay it out whole once its width and margins are set.
ShiftedTextLayout& layOutFor(QTextDocument& document, QPaintDevice& device);

// Where the document's text goes on each page, in the painter's units: from `top`, `width`
// wide and `height` high.
struct TextArea {
    qreal top;
    qreal width;
    qreal height;
};

// Prints the laid-out document into the text area of as many pages as it needs, cut between
// lines; `decorate` then draws what else the page carries (its number, a header ...).
void printPages(QPainter& painter, QPagedPaintDevice& device, const QTextDocument& document,
                const TextArea& area, const std::function<void(qsizetype page)>& decorate);

// Prints `document`, a copy made for printing (its layout and margins are set here), on pages
// of the printer's size with margins of 2 cm, numbered at their foot, as Qt prints a document.
void print(QTextDocument& document, QPrinter& printer);

} // namespace documentprinting
