#include "platform/control/PagePrinting.h"

#include "platform/control/CarriedObjectHandler.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QUrl>

#include <algorithm>
#include <memory>

namespace
{

void copyImages(const QTextDocument& from, QTextDocument& to)
{
    for (QTextBlock block = from.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QUrl name(format.toImageFormat().name());
            const QVariant image = from.resource(QTextDocument::ImageResource, name);
            if (image.isValid())
                to.addResource(QTextDocument::ImageResource, name, image);
        }
    }
}

} // namespace

void printWithHeaderAndFooter(const QTextDocument& document, QPagedPaintDevice& device,
                              const QString& header, const QString& footer)
{
    std::unique_ptr<QTextDocument> copy(document.clone());
    copyImages(document, *copy);
    CarriedObjectHandler::install(*copy);
    copy->documentLayout()->setPaintDevice(&device);

    QPainter painter(&device);
    const QRectF paper = device.pageLayout().paintRectPixels(device.logicalDpiX());
    const QFont font = copy->defaultFont();
    const qreal band = QFontMetricsF(font, &device).height() * 2;
    QTextFrameFormat root = copy->rootFrame()->frameFormat();
    root.setMargin(0);
    copy->rootFrame()->setFrameFormat(root);
    const QSizeF body(paper.width(), std::max<qreal>(paper.height() - 2 * band, band));
    copy->setPageSize(body);

    const int pages = copy->pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            device.newPage();
        painter.save();
        painter.setFont(font);
        painter.drawText(QRectF(0, 0, body.width(), band), Qt::AlignHCenter | Qt::AlignTop, header);
        painter.drawText(QRectF(0, paper.height() - band, body.width(), band),
                         Qt::AlignHCenter | Qt::AlignBottom, footer);
        painter.translate(0, band - page * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, page * body.height(), body.width(), body.height());
        painter.setClipRect(context.clip);
        copy->documentLayout()->draw(&painter, context);
        painter.restore();
    }
}
