#include "platform/control/DocumentPrinting.h"

#include "platform/control/CarriedObjectHandler.h"
#include "platform/control/ShiftedTextLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QtGui/private/qfont_p.h>

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

std::vector<Piece> piecesOf(const QTextDocument& document)
{
    std::vector<Piece> pieces;
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (QTextFrame::iterator it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* frame = it.currentFrame()) {
            const QRectF box = layout->frameBoundingRect(frame);
            pieces.push_back({box.top(), box.bottom(), false});
        } else if (it.currentBlock().isVisible()) {
            addBlockPieces(it.currentBlock(), pieces);
        }
    }
    return pieces;
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
    context.clip = slice;
    context.palette.setColor(QPalette::Text, Qt::black);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

} // namespace

namespace documentprinting
{

QList<qreal> pageStarts(const QTextDocument& document, qreal height)
{
    QList<qreal> starts{0};
    for (const Piece& piece : piecesOf(document)) {
        qreal& start = starts.last();
        if (piece.top > start && (piece.breakBefore || piece.bottom - start > height))
            starts.append(piece.top);
        while (piece.bottom - starts.last() > height)
            starts.append(starts.last() + height);
    }
    return starts;
}

ShiftedTextLayout& layOutFor(QTextDocument& document, QPaintDevice& device)
{
    auto* layout = new ShiftedTextLayout(&document);
    document.setDocumentLayout(layout);
    layout->setPaintDevice(&device);
    CarriedObjectHandler::install(document);
    return *layout;
}

void printPages(QPainter& painter, QPagedPaintDevice& device, const QTextDocument& document,
                const TextArea& area, const std::function<void(qsizetype page)>& decorate)
{
    const QList<qreal> starts = pageStarts(document, area.height);
    const qreal documentEnd = document.documentLayout()->documentSize().height();
    for (qsizetype page = 0; page < starts.size(); ++page) {
        if (page > 0)
            device.newPage();
        const qreal end = page + 1 < starts.size() ? starts[page + 1] : documentEnd;
        printSlice(painter, document, starts[page], std::min(end, starts[page] + area.height),
                   area.top, area.width);
        decorate(page);
    }
}

void print(QTextDocument& document, QPrinter& printer)
{
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    ShiftedTextLayout& layout = layOutFor(document, printer);
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
    document.setTextWidth(printer.width());
    layout.layOutWholeDocument();

    const QPointF numberAt(printer.width() - left,
                           printer.height() - top +
                               QFontMetrics(document.defaultFont(), &printer).ascent() +
                               5 * printer.logicalDpiY() / 72.0);
    const TextArea area{top, qreal(printer.width()), printer.height() - 2 * top};
    printPages(painter, printer, document, area, [&](qsizetype page) {
        painter.setFont(QFont(document.defaultFont(), &printer));
        const QString number = QString::number(page + 1);
        painter.drawText(qRound(numberAt.x() - painter.fontMetrics().horizontalAdvance(number)),
                         qRound(numberAt.y()), number);
    });
}

} // namespace documentprinting
