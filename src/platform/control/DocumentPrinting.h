#pragma once

#include <QList>
#include <QPageLayout>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class QPrinter;
class QTextBlock;
class QTextDocument;
class QTextTable;
class ShiftedTextLayout;

// Printing a document the way the editor shows it: laid out in one long page with room for
// raised and lowered text, then cut into the printer's pages between lines.
namespace documentprinting
{

// Where each page's slice of the document, laid out whole, starts, for pages whose text is `height`
// high: a page ends before the first line that would cross its bottom, and a paragraph that asks
// for a page break before or after it gets one. Only a line or table taller than a page is cut.
QList<qreal> pageStarts(const QTextDocument& document, qreal height);

// The table directly in the document's frame whose first paragraph `block` is; none when it is
// not the first paragraph of such a table.
QTextTable* tableBegunBy(const QTextDocument& document, const QTextBlock& block);

// A copy of `document` made for printing, with the images its text shows.
std::unique_ptr<QTextDocument> printedClone(const QTextDocument& document);

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

// A run of the document printed on pages of one layout: from the paragraph at `position`,
// directly in the document's frame, to the next part. The first part begins at 0.
struct Part {
    int position = 0;
    std::optional<QPageLayout> layout; // none: the page the printing began on
};

// How the pages are printed on the device's current page: where the text goes, and what each
// page carries besides, given the page's number counted from 0 through the whole print.
struct PageStyle {
    TextArea area;
    std::function<void(qsizetype page)> decorate;
};
using PageStyleFor = std::function<PageStyle(QPainter& painter)>;

// Prints `document`, a copy made for printing with its frame's margins set, part by part with
// one painter: each part after the first begins a new page in its own layout, or in the
// device's current one where the device does not take that, and the pages are numbered on
// through all parts. The document is laid out once for each text width the parts' pages have.
void printParts(QPagedPaintDevice& device, QTextDocument& document, const std::vector<Part>& parts,
                const PageStyleFor& style);

// Prints `document`, a copy made for printing (its layout and margins are set here), in its
// parts on pages of the printer's size with margins of 2 cm, numbered at their foot, as Qt
// prints a document.
void print(QTextDocument& document, const std::vector<Part>& parts, QPrinter& printer);

} // namespace documentprinting
