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

// The passes with the divider, compiled for every SIMD target and chosen at run time. The column pass:
// one running sum a column and channel, in memory order; the source's rows lie `stride` words apart. The
// row pass is the column pass over the transposed frame: transposeWords writes dst[x * stride + y] =
// src[y * W + x].
void transposeWords(const uint32_t* src, uint32_t* dst, int W, int H, int stride);
void boxBlurColumns(const uint32_t* src, int stride, uint32_t* dst, int W, int H, int r, int32_t* red, int32_t* green,
                    int32_t* blue, WindowDivider divide);

class FX_Blur : public Effect {
public:
    FX_Blur(uint32_t width, uint32_t height, int blurRadius);

    void update() override {}
    void render() override;
    void boxBlur(const uint32_t* src, uint32_t* dst, int W, int H, int r);

    int blurRadius;
    // The table pass (no exact divider) and the divider's passes each have their buffers; only one set is made.
    std::unique_ptr<int32_t[]> divideTable;  // 256 (2r + 1) entries: i / (2r + 1)
    std::unique_ptr<int32_t[]> sumRed, sumGreen, sumBlue;
    std::unique_ptr<int32_t[]> upperIndex, lowerIndex;
    std::unique_ptr<int32_t[]> columnRed, columnGreen, columnBlue;  // running sums of a column pass, max(width, height) each
    WindowDivider divider;
    // The transposed frame, then the row pass's result. The latter's rows are 16 words longer than the
    // frame's: with rows of 512 words, the transpose back wrote 16 rows that share two cache sets and
    // took 47 us where it now takes 33 (a 512 x 384 frame).
    std::unique_ptr<uint32_t[]> transposed, horizontal;
    static constexpr int kRowPadding = 16;
};

namespace reference {
// The same blur by direct summation of every window, border pixels repeated: slow, for tests.
void boxBlur(const uint32_t* src, uint32_t* dst, int W, int H, int r);
}  // namespace reference
