#include "effects/generators/FX_Lights.h"

#include <cmath>

#include "effects/generators/FX_Sprite.h"
#include "pixel/Numeric.h"
#include "pixel/PixelOps.h"

float lightPhase = 0.0f;

void FX_Lights::render() {
    lightPhase = float(double(lightPhase) + 0.1);
    const double p = lightPhase;
    const int fade = truncToInt(std::sin(0.1 * p) * 127.0 + 127.0);
    const float zoom = float(std::sin(p) * 512.0);
    fillPixels(pixels, int(size), 0);
    if (sourceImage) drawZoomedSprite(pixels, int(width), int(height), *sourceImage, 120, -60, zoom, fade);
}
