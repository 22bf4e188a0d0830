// FX_Sprite: one texture drawn at a position its segments move.
//
// spriteMode   drawing                                               (x, y) is
//   0          opaque copy                                           top-left
//   1          nothing
//   2          blend by texture alpha (clipped to 512 x 384)         top-left
//   3          blend by alpha and fade (weights out of 510)          top-left
//   4          rotated, opaque                                       top-left of the Sw x Sh box
//   5          rotated, key colour 0xFF000000 skipped                top-left of the box
//   6          rotated, key colour skipped, blend by alpha and fade  top-left of the box
//   7          zoomed by position.z, added, faded                    centre
//   8          added, scaled by fade / 255                           top-left
//   9          subtracted, scaled by fade / 256                      top-left
// Position is Camera::position (x, y, zoom z), the angle Rotation::angles.z (256 per turn), the fade
// Blend::opacity. Nothing is written outside the target. Rotated modes need the sine table: building a
// rotating sprite with a texture loads it; until some sprite has, those modes draw nothing.
#pragma once

#include "timeline/Effect.h"

class FX_Sprite : public Effect {
public:
    FX_Sprite(uint32_t width, uint32_t height, PixelArray* texture, int mode);

    void update() override;  // opacity, position and angles at `time`
    void render() override;

    int spriteMode;
};

// The zoomed additive drawing of mode 7: the texture centred at (x, y), grown by zoom / 10 pixels in
// height (width in proportion), each channel + fade - 255 (stopping at 0) added with saturation.
void drawZoomedSprite(uint32_t* dst, int W, int H, const PixelArray& tex, int x, int y, float zoom, int fade);
