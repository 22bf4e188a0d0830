// FX_Blur: box blur of the frame, in place: each channel becomes the mean of the (2r + 1) x (2r + 1)
// square around the pixel (border pixels repeated), as a horizontal then a vertical pass with running
// sums and an exact division (a multiply and shift, or a table for very large r), so the cost does not
// grow with r. r < 1 leaves the frame untouched; a
// radius beyond the frame repeats the border pixels. Written pixels get the fourth byte 255.
#pragma once

#include <memory>

#include "timeline/Effect.h"

// Division of a window's channel sum by its size 2r + 1 as a 32-bit multiply and shift, exact for every
// sum 0 .. 255 (2r + 1): checked at every sum when the effect is made. multiplier 0: none exists (radii above
// about 127), and the division table is used.
struct WindowDivider {
    uint32_t multiplier = 0;
    int shift = 0;
    uint32_t operator()(uint32_t sum) const { return (sum * multiplier) >> shift; }
};
WindowDivider windowDivider(int span);

// The two passes with the divider, compiled for every SIMD target and chosen at run time. Rows: each row's
// running sums of the three channels packed 21 bits apart in one 64-bit word (exact: no field passes 2^21),
// kept in `sums`, then divided and packed into `horizontal`. Columns: one running sum a column and channel, in memory order.
void boxBlurRows(const uint32_t* src, uint32_t* horizontal, int W, int H, int r, uint64_t* expanded, uint64_t* sums,
                 WindowDivider divide);
void boxBlurColumns(const uint32_t* horizontal, uint32_t* dst, int W, int H, int r, int32_t* red, int32_t* green,
                    int32_t* blue, WindowDivider divide);

class FX_Blur : public Effect {
public:
    FX_Blur(uint32_t width, uint32_t height, int blurRadius);

    void update() override {}
    void render() override;
    void boxBlur(const uint32_t* src, uint32_t* dst, int W, int H, int r);

    int blurRadius;
    // The table pass (no exact divider) and the packed pass each have their buffers; only one is made.
    std::unique_ptr<int32_t[]> divideTable;  // 256 (2r + 1) entries: i / (2r + 1)
    std::unique_ptr<int32_t[]> sumRed, sumGreen, sumBlue;
    std::unique_ptr<int32_t[]> upperIndex, lowerIndex;
    std::unique_ptr<int32_t[]> columnRed, columnGreen, columnBlue;  // running sums of the vertical pass
    WindowDivider divider;
    std::unique_ptr<uint32_t[]> horizontal;         // the divided row pass, packed words
    std::unique_ptr<uint64_t[]> expanded, rowSums;  // one row's packed channels and running sums
};

namespace reference {
// The same blur by direct summation of every window, border pixels repeated: slow, for tests.
void boxBlur(const uint32_t* src, uint32_t* dst, int W, int H, int r);
}  // namespace reference
