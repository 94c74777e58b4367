#include "platform/control/CarriedObjectHandler.h"

#include "platform/rtf/RtfCarriedGroups.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextDocument>

namespace
{

carried::Look lookOf(const QTextFormat& format)
{
    return static_cast<carried::Look>(format.intProperty(carried::LookProperty));
}

// The font a reference number is drawn in: the text's, smaller.
QFont referenceFont(const QTextDocument* document, const QTextFormat& format)
{
    QFont font = format.toCharFormat().font();
    if (!format.hasProperty(QTextFormat::FontPointSize) && document)
        font = document->defaultFont();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * 0.7);
    return font;
}

} // namespace

void CarriedObjectHandler::install(QTextDocument& document)
{
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    layout->registerHandler(carried::InlineObjectType, new CarriedObjectHandler(layout));
}

QSizeF CarriedObjectHandler::intrinsicSize(QTextDocument* document, int, const QTextFormat& format)
{
    const QFontMetricsF metrics(referenceFont(document, format));
    switch (lookOf(format)) {
    case carried::Look::Reference:
        return QSizeF(metrics.horizontalAdvance(format.stringProperty(carried::Label)) + 1,
                      metrics.height());
    case carried::Look::Marker:
        return QSizeF(metrics.height() * 0.6, metrics.height());
    default:
        return QSizeF(0, 0);
    }
}

void CarriedObjectHandler::drawObject(QPainter* painter, const QRectF& rect,
                                      QTextDocument* document, int, const QTextFormat& format)
{
    const carried::Look look = lookOf(format);
    if (look == carried::Look::Hidden || rect.isEmpty())
        return;
    painter->save();
    const QFont font = referenceFont(document, format);
    painter->setFont(font);
    const QColor ink = format.toCharFormat().foreground().style() != Qt::NoBrush
                           ? format.toCharFormat().foreground().color()
                           : QColor(Qt::black);
    painter->setPen(ink);
    if (look == carried::Look::Reference) {
        // Raised like a footnote reference: the label's top at the line's top.
        const QFontMetricsF metrics(font);
        painter->drawText(QPointF(rect.left(), rect.top() + metrics.ascent() * 0.8),
                          format.stringProperty(carried::Label));
    } else {
        const qreal side = rect.width() * 0.7;
        const QRectF box(rect.left() + (rect.width() - side) / 2, rect.top() + rect.height() / 3,
                         side, side);
        painter->setPen(QPen(ink.lighter(160), 1));
        painter->drawRect(box);
    }
    painter->restore();
}
