#pragma once

#include <QRectF>

class QWidget;

// Places a control on its form by twips, keeping the twips values for those who read them back.
void placeTwips(QWidget* widget, float left, float top, float width, float height);
// The control's place in twips as last set by placeTwips (or measured from its pixels).
QRectF twipsGeometry(const QWidget* widget);
// Sets just the top, or just the height, keeping the rest.
void setTopTwips(QWidget* widget, float top);
// Gives a form a fixed client area of the given size in twips.
void setClientSizeTwips(QWidget* form, float width, float height);
// Gives a dialog form the small interface font its twips layout was drawn for, so captions fit.
void useFormFont(QWidget* form);
