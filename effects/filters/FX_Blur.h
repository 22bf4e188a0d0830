// FX_Blur: box blur of the frame, in place: each channel becomes the mean of the (2r + 1) x (2r + 1)
// square around the pixel (border pixels repeated), as a horizontal then a vertical pass with running
// sums and a division table, so the cost does not grow with r. r < 1 leaves the frame untouched; a
// radius beyond the frame repeats the border pixels. Written pixels get the fourth byte 255.
#pragma once

#include <memory>

#include "timeline/Effect.h"

class FX_Blur : public Effect {
public:
    FX_Blur(uint32_t width, uint32_t height, int blurRadius);

    void update() override {}
    void render() override;
    void boxBlur(const uint32_t* src, uint32_t* dst, int W, int H, int r);

    int blurRadius;
    std::unique_ptr<int32_t[]> divideTable;  // 256 (2r + 1) entries: i / (2r + 1)
    std::unique_ptr<int32_t[]> sumRed, sumGreen, sumBlue;
    std::unique_ptr<int32_t[]> upperIndex, lowerIndex;
    std::unique_ptr<int32_t[]> columnRed, columnGreen, columnBlue;  // running sums of the vertical pass
};

namespace reference {
// The same blur by direct summation of every window, border pixels repeated: slow, for tests.
void boxBlur(const uint32_t* src, uint32_t* dst, int W, int H, int r);
}  // namespace reference
