#pragma once

#include <QPaintDevice>
#include <QTextBlockFormat>
#include <QtGui/private/qfont_p.h>
#include <QtGui/private/qtextengine_p.h>

#include <cmath>

// How Qt's document layout stacks the lines of a paragraph, for the layouts that move lines
// themselves.
namespace linestacking
{

// The factor by which line heights grow on a device of higher resolution than the screen's.
inline qreal scalingFor(const QPaintDevice* device)
{
    return device && device->logicalDpiY() != qt_defaultDpi()
               ? qreal(device->logicalDpiY()) / qt_defaultDpi()
               : 1.0;
}

// How far the next line's top lies below this line's top.
inline QFixed advanceOf(const QScriptLine& line, const QTextBlockFormat& format, qreal scaling)
{
    const qreal rawHeight =
        std::ceil(line.ascent.toReal() + line.descent.toReal() + line.leading.toReal());
    return QFixed::fromReal(format.lineHeight(rawHeight, scaling));
}

// Whether each line's height follows from its own content (no fixed or minimum line height).
inline bool hasPlainLineStacking(const QTextBlockFormat& format)
{
    switch (format.lineHeightType()) {
    case QTextBlockFormat::SingleHeight:
    case QTextBlockFormat::ProportionalHeight:
    case QTextBlockFormat::LineDistanceHeight:
        return true;
    default:
        return false;
    }
}

} // namespace linestacking
