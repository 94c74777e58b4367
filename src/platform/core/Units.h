#pragma once

// Geometry is kept in twips (1/1440 inch) as float; this is the one place that converts to pixels,
// at the screen's logical resolution.
namespace units
{

constexpr float TwipsPerInch = 1440.0f;

float twipsPerPixel();
int twipsToPixels(float twips);
float pixelsToTwips(int pixels);

} // namespace units
