#include <gtest/gtest.h>

#include "effects/filters/FX_FillColor.h"
#include "support/EffectHarness.h"

namespace {
struct Fill : ::testing::Test {
    void SetUp() override { reset(); }
    void reset() {
        for (uint32_t i = 0; i < frame.size; ++i) frame.pixels[i] = 0xC0102030u + (i & 0x3F);
    }
    // Every word equals expected(i).
    template <class F>
    void expectEvery(F expected) {
        for (uint32_t i = 0; i < frame.size; ++i) ASSERT_EQ(frame.pixels[i], expected(i)) << i;
    }
    PixelArray frame{64, 48};
};
}  // namespace

TEST_F(Fill, CopyAddAndSubtractPerByteByMode) {
    FX_FillColor copy(64, 48, 0), white(64, 48, 1), red(64, 48, 2), none(64, 48, -1);
    copy.setPacked(0x0F0F0A);
    renderAt(copy, frame, 1);
    expectEvery([](uint32_t) { return 0x000F0F0Au; });  // the fourth byte becomes 0

    reset();
    white.r = white.g = white.b = 1.0f;
    renderAt(white, frame, 1);
    expectEvery([](uint32_t) { return 0xC0FFFFFFu; });  // saturated, the fourth byte kept
    reset();
    red.r = 1.0f;
    renderAt(red, frame, 1);
    expectEvery([](uint32_t i) { return 0xC0002030u + (i & 0x3F); });
    reset();
    none.setPacked(0xFFFFFF);
    renderAt(none, frame, 1);
    expectEvery([](uint32_t i) { return 0xC0102030u + (i & 0x3F); });
}

TEST_F(Fill, ColourFollowsItsSegmentsAndPacksWithoutClamping) {
    FX_FillColor fade(64, 48, 0);
    fade.addColorSegment({Color(0xFFFFFFu), Color(0x000000u), 10, 12});
    renderAt(fade, frame, 11);
    EXPECT_EQ(frame.pixels[0], 0x007F7F7Fu);  // half of 255, truncated
    renderAt(fade, frame, 20);                // after the segment the colour stays
    EXPECT_EQ(frame.pixels[0], 0x007F7F7Fu);

    FX_FillColor spill(64, 48, 0);
    spill.g = 256.0f / 255.0f;  // no clamping: green 256 carries into red
    renderAt(spill, frame, 1);
    EXPECT_EQ(frame.pixels[0], 0x00010000u);
}
