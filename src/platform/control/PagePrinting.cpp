#include "platform/control/PagePrinting.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextDocument>
#include <QTextFrame>

#include <algorithm>
#include <memory>

namespace
{

// What a page carries besides its text: a header line in a band at its top, a footer line in a
// band at its foot.
struct Bands {
    QFont font;
    QRectF paper; // the page's paintable area
    qreal height; // of each band
};

void drawBands(QPainter& painter, const Bands& bands, const QString& header, const QString& footer)
{
    const qreal width = bands.paper.width();
    painter.setFont(bands.font);
    painter.drawText(QRectF(0, 0, width, bands.height), Qt::AlignHCenter | Qt::AlignTop, header);
    painter.drawText(QRectF(0, bands.paper.height() - bands.height, width, bands.height),
                     Qt::AlignHCenter | Qt::AlignBottom, footer);
}

} // namespace

void printWithHeaderAndFooter(const QTextDocument& document,
                              const std::vector<documentprinting::Part>& parts,
                              QPagedPaintDevice& device, const QString& header,
                              const QString& footer)
{
    const std::unique_ptr<QTextDocument> copy = documentprinting::printedClone(document);
    QTextFrameFormat root = copy->rootFrame()->frameFormat();
    root.setMargin(0);
    copy->rootFrame()->setFrameFormat(root);
    const QFont font = copy->defaultFont();
    const qreal band = QFontMetricsF(font, &device).height() * 2;
    documentprinting::printParts(device, *copy, parts, [&](QPainter& painter) {
        const Bands bands{font, device.pageLayout().paintRectPixels(device.logicalDpiX()), band};
        const documentprinting::TextArea area{
            band, bands.paper.width(), std::max<qreal>(bands.paper.height() - 2 * band, band)};
        return documentprinting::PageStyle{area, [&painter, bands, &header, &footer](qsizetype) {
                                               drawBands(painter, bands, header, footer);
                                           }};
    });
}
