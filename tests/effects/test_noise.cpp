#include <gtest/gtest.h>

#include "effects/filters/FX_Noise.h"
#include "pixel/Random.h"
#include "support/EffectHarness.h"

namespace {

struct NoiseEffect : ::testing::Test {
    PixelArray frame{512, 384};
};

}  // namespace

TEST_F(NoiseEffect, ConstructionDrawsTwoNumbersPerStreakInOrder) {
    showSrand(99);
    FX_Noise fx(512, 384, 0);
    showSrand(99);
    for (const FX_Noise::Streak& s : fx.streaks) {
        EXPECT_EQ(s.offset, showRand() % 512);
        EXPECT_EQ(s.rate, float((showRand() % 50) * 0.10000000149011612 - 2.0));
    }
}

TEST_F(NoiseEffect, EachPassDrawsItsFixedCountOfNumbers) {
    struct Case {
        int flags;
        long draws;
        uint32_t w = 512, h = 384;
    };
    const long W = 512, H = 384;
    const Case cases[] = {
        {0x10, 20 * H},           {0x20, 20 * W},           {0x01, W * H},
        {0x02, (W - 1) * (H - 1)}, {0x04, W * H},           {0x08, 2 * (W - 1) * (H - 1)},
        {0x40, 0},                {0x80, 512},              {0x100, 384},
        {0x1FF, 20 * H + 20 * W + W * H + (W - 1) * (H - 1) + W * H + 2 * (W - 1) * (H - 1) + 512 + 384},
        // Swaps work on the 512 x 384 layout of any effect at least that large; a smaller one skips them.
        {0x180, 512 + 384, 640, 400}, {0x180, 0, 500, 384},
    };
    for (const Case& c : cases) {
        PixelArray target(c.w, c.h);
        FX_Noise fx(c.w, c.h, c.flags);  // blendMode -1: scratches and lines draw numbers, write nothing
        fx.setRadius(2);
        fx.setAmount(16);
        fillPattern(target);
        showSrand(4321);
        renderAt(fx, target, 1.5f);
        EXPECT_EQ(drawsSince(4321), c.draws) << std::hex << c.flags << " " << std::dec << c.w << " x " << c.h;
    }
}

TEST_F(NoiseEffect, RowSwapWithAmountZeroMovesDownOneRowAnd64TakesRowsNearby) {
    FX_Noise fx(512, 384, 0x100);
    fillPattern(frame);
    PixelArray before(512, 384);
    before.copyFrom(frame);
    renderAt(fx, frame, 0);
    EXPECT_EQ(firstDifference(frame.pixels, before.pixels, 512), -1);  // row 0 takes row 0 (-1 becomes 0)
    EXPECT_EQ(firstDifference(frame.pixels + 512, before.pixels, 383 * 512), -1);

    // Amount 64 (from its segment): each row takes a row between y - 33 and y + 31, wrapping at the bottom.
    fx.addAmountSegment({64, 0, 0.0f, 10.0f});
    for (int y = 0; y < 384; ++y)
        for (int x = 0; x < 512; ++x) frame.pixels[y * 512 + x] = uint32_t(y);  // each row holds its number
    showSrand(7);
    renderAt(fx, frame, 0);
    EXPECT_EQ(fx.amount, 64);
    for (int y = 0; y < 384; ++y) {
        const int from = int(frame.pixels[y * 512]);
        const int lo = y - 33, hi = y + 31;
        const bool fits = (from >= lo && from <= hi) || (lo < 0 && from == 0) || (hi >= 384 && from <= hi - 384);
        EXPECT_TRUE(fits) << "row " << y << " took row " << from;
        EXPECT_EQ(frame.pixels[y * 512 + 511], uint32_t(from));  // whole rows move
    }
}

TEST_F(NoiseEffect, GrainIsMaskedByTheColourBandsWithOffsetZeroStayScratchesAreGrey) {
    FX_Noise grain(512, 384, 0x01);
    grain.setAmount(200);
    grain.setPacked(0xFF0000);  // only red can grow
    frame.fill(0xAA102030);
    renderAt(grain, frame, 0);
    bool someRed = false;
    for (uint32_t i = 0; i < frame.size; ++i) {
        ASSERT_EQ(frame.pixels[i] & 0xFF00FFFFu, 0x00002030u);  // fourth byte cleared, green/blue kept
        someRed |= (frame.pixels[i] >> 16) != 0x10;
    }
    EXPECT_TRUE(someRed);

    FX_Noise bands(512, 384, 0x40);
    for (FX_Noise::Streak& s : bands.streaks) s.offset = 0;
    fillPattern(frame);
    PixelArray before(512, 384);
    before.copyFrom(frame);
    renderAt(bands, frame, 3.7f);
    EXPECT_EQ(firstDifference(frame, before), -1);

    // Scratches through blend mode 1: grey added in at most 20 columns.
    FX_Noise fx(512, 384, 0x10);
    fx.setBlendMode(1);
    frame.fill(0);
    renderAt(fx, frame, 0);
    int touched = 0;
    for (uint32_t i = 0; i < frame.size; ++i) {
        const uint32_t w = frame.pixels[i];
        ASSERT_EQ(w, (w & 255u) * 0x010101u);  // grey only
        touched += w != 0;
    }
    EXPECT_GT(touched, 0);
    EXPECT_LE(touched, 20 * 384);  // 20 columns at most
}


