#include "platform/dialogs/TwipsGeometry.h"

#include "platform/core/Units.h"

#include <algorithm>

#include <QLabel>
#include <QVariant>
#include <QWidget>

namespace
{
const char* const GeometryProperty = "wordlarkTwipsGeometry";
}

void placeTwips(QWidget* widget, float left, float top, float width, float height)
{
    widget->setProperty(GeometryProperty, QRectF(left, top, width, height));
    int pixelWidth = units::twipsToPixels(width);
    // A caption drawn in this desktop's font may need more room than its design width: a label
    // grows to the right into the space left for it rather than being cut off.
    if (qobject_cast<QLabel*>(widget))
        pixelWidth = std::max(pixelWidth, widget->sizeHint().width());
    widget->setGeometry(units::twipsToPixels(left), units::twipsToPixels(top), pixelWidth,
                        units::twipsToPixels(height));
}

QRectF twipsGeometry(const QWidget* widget)
{
    const QVariant stored = widget->property(GeometryProperty);
    if (stored.isValid())
        return stored.toRectF();
    const QRect pixels = widget->geometry();
    return QRectF(units::pixelsToTwips(pixels.x()), units::pixelsToTwips(pixels.y()),
                  units::pixelsToTwips(pixels.width()), units::pixelsToTwips(pixels.height()));
}

void setTopTwips(QWidget* widget, float top)
{
    QRectF place = twipsGeometry(widget);
    place.moveTop(top);
    placeTwips(widget, place.left(), place.top(), place.width(), place.height());
}

void setClientSizeTwips(QWidget* form, float width, float height)
{
    form->setFixedSize(units::twipsToPixels(width), units::twipsToPixels(height));
}

void useFormFont(QWidget* form)
{
    constexpr qreal FormFontPointSize = 8;
    QFont font = form->font();
    font.setPointSizeF(FormFontPointSize);
    form->setFont(font);
}
