#include "platform/core/Units.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace units
{

float twipsPerPixel()
{
    float dpi = 96.0f;
    if (auto* screen = QGuiApplication::primaryScreen())
        dpi = static_cast<float>(screen->logicalDotsPerInchY());
    if (dpi <= 0)
        dpi = 96.0f;
    return TwipsPerInch / dpi;
}

int twipsToPixels(float twips)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel()));
}

float pixelsToTwips(int pixels)
{
    return static_cast<float>(pixels) * twipsPerPixel();
}

} // namespace units
