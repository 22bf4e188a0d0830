// FX_Zoom: resamples the frame in place at (W - 1) / W by (H - 1) / H with bilinear filtering, anchored at
// the top-left corner. The walk reads what it has already written (columns from the left, rows from the
// top), so the picture smears towards the right and the bottom. Pixel (0, 0) keeps its colour.
#pragma once

#include <vector>

#include "timeline/Effect.h"

class FX_Zoom : public Effect {
public:
    FX_Zoom(uint32_t width, uint32_t height, int reserved);  // `reserved` has no effect

    void update() override { updateOpacity(); }
    void render() override;

    // Per column and per row: the two source indices and their weights (fixed for the effect's size).
    struct Tap {
        int s0, s1;
        float w0;
        double w1;
    };
    std::vector<Tap> columns, rows;
    // The same weights as doubles, and whether every tap reads the sample before and its own (then the
    // rows after the first go through the SIMD smear).
    std::vector<double> column0, column1, row0, row1;
    bool neighbourTaps = true;
};

namespace reference {
// The walk as written: column by column from the left, top to bottom within a column.
void zoomSmear(uint32_t* P, int W, int H);
}  // namespace reference
