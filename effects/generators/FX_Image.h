// FX_Image: a picture layer. The source is one still image, or one image of an image list at 25 images per
// second: image trunc(fmod(25 t + start, n)) at show time t, so a list with its window starting at s
// begins at image trunc(fmod(26 s, n)), not at its first. A source larger than the effect shows a window of the
// effect's size at (offsetX, offsetY), or at a fresh random place every frame with randomPosition.
//
// blendMode: 0 copy, 1 saturating add, 2 saturating subtract (all four bytes), 3 opacity blend. The
// opacity blend takes source pictures of exactly the effect's size only; a pixel shows where its alpha
// plus the opacity exceeds 257 (weights out of 512), and even at opacity 0 the frame is darkened to
// 255/256. A source smaller than the effect in one direction draws nothing.
#pragma once

#include "timeline/Effect.h"

class FX_Image : public Effect {
public:
    // With a texture larger than the effect, the window starts at a random place (drawing one number per
    // larger direction).
    FX_Image(uint32_t width, uint32_t height, PixelArray* texture);

    void update() override;  // opacity segments
    void render() override;

    // The image of the sequence shown at time t: trunc(fmod(float(t * 25 + start), n)), the sum rounded to
    // a float before the fmod and the remainder rounded to a float again. Null for an empty list or a
    // negative index.
    PixelArray* sequenceImage() const;

    int offsetX = 0;
    int offsetY = 0;
};

