#include "platform/document/DocumentFormat.h"

#include <atomic>

namespace docformat
{

QString newImageName()
{
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("wordlark-image:%1").arg(++counter);
}

double charOffsetTwips(const QTextCharFormat& format)
{
    return format.doubleProperty(CharOffsetTwips);
}

double proportionOf(int upDownProportion)
{
    const int percent = upDownProportion / 100;
    return percent > 0 && percent <= 100 ? percent / 100.0 : 1.0;
}

double baselinePercentFor(double twips, double pointSize)
{
    if (pointSize <= 0)
        pointSize = DefaultFontPointSize;
    // Qt measures the shift against the line height of the font, about 1.15 em for the usual faces.
    const double fontHeightPoints = pointSize * 1.15;
    return (twips / 20.0) / fontHeightPoints * 100.0;
}

void setCharOffsetTwips(QTextCharFormat& format, double twips, double pointSize)
{
    if (format.hasProperty(QTextFormat::FontPointSize))
        pointSize = format.fontPointSize();
    if (twips == 0) {
        format.clearProperty(CharOffsetTwips);
        format.clearProperty(QTextFormat::TextBaselineOffset);
        return;
    }
    format.setProperty(CharOffsetTwips, twips);
    format.setBaselineOffset(baselinePercentFor(twips, pointSize));
}

} // namespace docformat
