#include "platform/control/DocumentPrinting.h"

#include "platform/control/CarriedObjectHandler.h"
#include "platform/control/ShiftedTextLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>
#include <QtGui/private/qfont_p.h>

#include <limits>
#include <memory>
#include <vector>

namespace
{

// A piece of the document that a page break may not cut: a line, or a table.
struct Piece {
    qreal top;
    qreal bottom;
    bool breakBefore;
};

void addBlockPieces(const QTextBlock& block, std::vector<Piece>& pieces)
{
    const QTextLayout* layout = block.layout();
    const QTextBlockFormat format = block.blockFormat();
    const qreal origin = layout->position().y();
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        pieces.push_back(
            {origin + line.y(), origin + line.y() + line.height(),
             i == 0 && format.pageBreakPolicy().testFlag(QTextFormat::PageBreak_AlwaysBefore)});
    }
    if (format.pageBreakPolicy().testFlag(QTextFormat::PageBreak_AlwaysAfter) && !pieces.empty())
        pieces.push_back({pieces.back().bottom, pieces.back().bottom, true});
}

// A stretch of the laid-out document: the paragraphs and tables directly in its frame from
// position `from` up to `to`, drawn from `top` down to `bottom`.
struct Span {
    int from;
    int to;
    qreal top;
    qreal bottom;
};

std::vector<Piece> piecesOf(const QTextDocument& document, const Span& span)
{
    std::vector<Piece> pieces;
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (QTextFrame::iterator it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* frame = it.currentFrame()) {
            if (frame->firstPosition() < span.from || frame->firstPosition() >= span.to)
                continue;
            const QRectF box = layout->frameBoundingRect(frame);
            pieces.push_back({box.top(), box.bottom(), false});
        } else if (const QTextBlock block = it.currentBlock(); block.isVisible() &&
                                                               block.position() >= span.from &&
                                                               block.position() < span.to) {
            addBlockPieces(block, pieces);
        }
    }
    return pieces;
}

// Where the pages of the span start; see documentprinting::pageStarts. A page that would begin
// where the span ends (a page break after its last paragraph) is left to the next span.
QList<qreal> pageStartsOf(const QTextDocument& document, const Span& span, qreal height)
{
    QList<qreal> starts{span.top};
    for (const Piece& piece : piecesOf(document, span)) {
        qreal& start = starts.last();
        if (piece.top > start && (piece.breakBefore || piece.bottom - start > height))
            starts.append(piece.top);
        while (piece.bottom - starts.last() > height)
            starts.append(starts.last() + height);
    }
    while (starts.size() > 1 && starts.last() >= span.bottom)
        starts.removeLast();
    return starts;
}

qreal documentEnd(const QTextDocument& document)
{
    return document.documentLayout()->documentSize().height();
}

// Where the paragraph at `position` begins on the long page: the top of its first line, or of its
// table when it is the first paragraph of a table in the document's frame.
qreal topOfParagraph(const QTextDocument& document, int position)
{
    const QTextBlock block = document.findBlock(position);
    if (QTextTable* table = documentprinting::tableBegunBy(document, block))
        return document.documentLayout()->frameBoundingRect(table).top();
    const QTextLayout* layout = block.layout();
    return layout->position().y() + (layout->lineCount() > 0 ? layout->lineAt(0).y() : 0);
}

// The span of the part at `index`, in `document` laid out.
Span spanOf(const QTextDocument& document, const std::vector<documentprinting::Part>& parts,
            size_t index)
{
    const int from = parts[index].position;
    const bool last = index + 1 == parts.size();
    const int to = last ? std::numeric_limits<int>::max() : parts[index + 1].position;
    return {from, to, index == 0 ? 0 : topOfParagraph(document, from),
            last ? documentEnd(document) : topOfParagraph(document, to)};
}

// Draws the slice of the document from `start` to `end` in the page's text area.
void printSlice(QPainter& painter, const QTextDocument& document, qreal start, qreal end, qreal top,
                qreal width)
{
    painter.save();
    painter.translate(0, top - start);
    const QRectF slice(0, start, width, end - start);
    painter.setClipRect(slice);
    QAbstractTextDocumentLayout::PaintContext context;
    // The layout draws what touches its clip; what begins right at the slice's end belongs to
    // the next page and is left out, rather than drawn here unseen.
    context.clip = slice.adjusted(0, 0, 0, -0.5);
    context.palette.setColor(QPalette::Text, Qt::black);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

// Prints the span of the laid-out document into the text area of as many pages as it needs, cut
// between lines, and decorates each page. Returns how many pages it printed.
qsizetype printPages(QPainter& painter, QPagedPaintDevice& device, const QTextDocument& document,
                     const Span& span, const documentprinting::PageStyle& style,
                     qsizetype firstPage)
{
    const documentprinting::TextArea& area = style.area;
    const QList<qreal> starts = pageStartsOf(document, span, area.height);
    for (qsizetype page = 0; page < starts.size(); ++page) {
        if (page > 0)
            device.newPage();
        const qreal end = page + 1 < starts.size() ? starts[page + 1] : span.bottom;
        printSlice(painter, document, starts[page], std::min(end, starts[page] + area.height),
                   area.top, area.width);
        style.decorate(firstPage + page);
    }
    return starts.size();
}

// The document laid out for each text width its pages have: the first width in the document
// itself, each other one in a copy. Widths are few (a section turned on its side has a second);
// past MaxWidths no more are laid out, so that a file cannot make printing lay it out over and
// over.
class LaidOutWidths
{
public:
    static constexpr size_t MaxWidths = 8;

    LaidOutWidths(QTextDocument& document, QPaintDevice& device)
        : m_document(document), m_device(device)
    {
    }

    // Whether the document is laid out `width` wide, or can be.
    bool canLayOut(qreal width) const { return find(width) || m_laidOut.size() < MaxWidths; }

    // The document laid out `width` wide; the first laid out when no more can be.
    const QTextDocument& at(qreal width)
    {
        if (const QTextDocument* found = find(width))
            return *found;
        if (!canLayOut(width))
            return *m_laidOut.front().second;
        QTextDocument* document = &m_document;
        if (!m_laidOut.empty()) {
            m_copies.push_back(documentprinting::printedClone(m_document));
            document = m_copies.back().get();
        }
        ShiftedTextLayout& layout = documentprinting::layOutFor(*document, m_device);
        document->setTextWidth(width);
        layout.layOutWholeDocument();
        m_laidOut.emplace_back(width, document);
        return *document;
    }

private:
    const QTextDocument* find(qreal width) const
    {
        for (const auto& [laidOutWidth, document] : m_laidOut)
            if (laidOutWidth == width) // both measured from a page the same way
                return document;
        return nullptr;
    }

    QTextDocument& m_document;
    QPaintDevice& m_device;
    std::vector<std::pair<qreal, QTextDocument*>> m_laidOut;
    std::vector<std::unique_ptr<QTextDocument>> m_copies;
};

// Draws the page's number (counted from 1) ending at `at`, on the baseline there.
void drawPageNumber(QPainter& painter, const QFont& font, QPointF at, qsizetype page)
{
    painter.setFont(font);
    const QString number = QString::number(page + 1);
    painter.drawText(qRound(at.x() - painter.fontMetrics().horizontalAdvance(number)),
                     qRound(at.y()), number);
}

} // namespace

namespace documentprinting
{

QTextTable* tableBegunBy(const QTextDocument& document, const QTextBlock& block)
{
    QTextTable* table = QTextCursor(block).currentTable();
    return table && table->parentFrame() == document.rootFrame() &&
                   table->firstPosition() == block.position()
               ? table
               : nullptr;
}

std::unique_ptr<QTextDocument> printedClone(const QTextDocument& document)
{
    std::unique_ptr<QTextDocument> copy(document.clone());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QUrl name(format.toImageFormat().name());
            const QVariant image = document.resource(QTextDocument::ImageResource, name);
            if (image.isValid())
                copy->addResource(QTextDocument::ImageResource, name, image);
        }
    }
    return copy;
}

QList<qreal> pageStarts(const QTextDocument& document, qreal height)
{
    return pageStartsOf(document, {0, std::numeric_limits<int>::max(), 0, documentEnd(document)},
                        height);
}

ShiftedTextLayout& layOutFor(QTextDocument& document, QPaintDevice& device)
{
    auto* layout = new ShiftedTextLayout(&document);
    document.setDocumentLayout(layout);
    layout->setPaintDevice(&device);
    CarriedObjectHandler::install(document);
    return *layout;
}

void printParts(QPagedPaintDevice& device, QTextDocument& document, const std::vector<Part>& parts,
                const PageStyleFor& style)
{
    QPainter painter(&device);
    if (!painter.isActive())
        return;
    const QPageLayout firstLayout = device.pageLayout();
    LaidOutWidths laidOut(document, device);
    qsizetype firstPage = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        // A device that cannot change its page while printing prints the part on the page it
        // has; a page of yet another width, past those laid out, is the first part's.
        if (i > 0)
            device.setPageLayout(parts[i].layout.value_or(firstLayout));
        PageStyle pages = style(painter);
        if (!laidOut.canLayOut(pages.area.width)) {
            device.setPageLayout(firstLayout);
            pages = style(painter);
        }
        if (i > 0)
            device.newPage();
        const QTextDocument& part = laidOut.at(pages.area.width);
        firstPage += printPages(painter, device, part, spanOf(part, parts, i), pages, firstPage);
    }
}

void print(QTextDocument& document, const std::vector<Part>& parts, QPrinter& printer)
{
    // Margins of 2 cm; the left and right ones are the layout's, in screen units it scales.
    const qreal screenDpiX = qt_defaultDpiX();
    const qreal screenDpiY = qt_defaultDpiY();
    const int horizontalMargin = int((2 / 2.54) * screenDpiX);
    const qreal left = horizontalMargin * printer.logicalDpiX() / screenDpiX;
    const qreal top = int((2 / 2.54) * screenDpiY) * printer.logicalDpiY() / screenDpiY;
    QTextFrameFormat frame = document.rootFrame()->frameFormat();
    frame.setLeftMargin(horizontalMargin);
    frame.setRightMargin(horizontalMargin);
    frame.setTopMargin(0);
    frame.setBottomMargin(0);
    document.rootFrame()->setFrameFormat(frame);

    printParts(printer, document, parts, [&](QPainter& painter) {
        const QPointF numberAt(printer.width() - left,
                               printer.height() - top +
                                   QFontMetrics(document.defaultFont(), &printer).ascent() +
                                   5 * printer.logicalDpiY() / 72.0);
        const TextArea area{top, qreal(printer.width()), printer.height() - 2 * top};
        const QFont font(document.defaultFont(), &printer);
        return PageStyle{area, [&painter, font, numberAt](qsizetype page) {
                             drawPageNumber(painter, font, numberAt, page);
                         }};
    });
}

} // namespace documentprinting
