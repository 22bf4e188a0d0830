// FX_Mosaic: pixelates the frame in place: square blocks of blockSize pixels (at least 1) are filled
// with their mean colour, fourth byte 0. Partial blocks at the right and bottom edges are clipped to the
// frame and averaged over the pixels they cover.
#pragma once

#include "timeline/Effect.h"

class FX_Mosaic : public Effect {
public:
    FX_Mosaic(uint32_t width, uint32_t height, int blockSize);

    void update() override { updateOpacity(); }
    void render() override;

    int blockSize;
};

void mosaic(uint32_t* P, int W, int H, int n);
// The bands of mosaic() with `sums` holding 4 W words and `narrow` 4 W + 64; n >= 1.
void mosaicBands(uint32_t* P, int W, int H, int n, uint32_t* sums, uint16_t* narrow);
namespace reference {
void mosaic(uint32_t* P, int W, int H, int n);  // block by block, the plain form
}  // namespace reference
