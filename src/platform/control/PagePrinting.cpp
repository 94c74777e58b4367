#include "platform/control/PagePrinting.h"

#include "platform/control/DocumentPrinting.h"
#include "platform/control/ShiftedTextLayout.h"

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
    ShiftedTextLayout& layout = documentprinting::layOutFor(*copy, device);

    QPainter painter(&device);
    const QRectF paper = device.pageLayout().paintRectPixels(device.logicalDpiX());
    const QFont font = copy->defaultFont();
    const qreal band = QFontMetricsF(font, &device).height() * 2;
    QTextFrameFormat root = copy->rootFrame()->frameFormat();
    root.setMargin(0);
    copy->rootFrame()->setFrameFormat(root);
    copy->setTextWidth(paper.width());
    layout.layOutWholeDocument();

    const documentprinting::TextArea area{band, paper.width(),
                                          std::max<qreal>(paper.height() - 2 * band, band)};
    documentprinting::printPages(painter, device, *copy, area, [&](qsizetype) {
        painter.setFont(font);
        painter.drawText(QRectF(0, 0, area.width, band), Qt::AlignHCenter | Qt::AlignTop, header);
        painter.drawText(QRectF(0, paper.height() - band, area.width, band),
                         Qt::AlignHCenter | Qt::AlignBottom, footer);
    });
}
