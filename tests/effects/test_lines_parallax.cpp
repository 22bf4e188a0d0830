#include <gtest/gtest.h>

#include <algorithm>

#include "effects/generators/FX_Parallax.h"
#include "effects/generators/FX_VLines.h"
#include "effects/generators/ThickLine.h"
#include "pixel/Random.h"
#include "support/EffectHarness.h"
#include "timeline/Spectrum.h"

namespace {
struct Lines : ::testing::Test {
    void SetUp() override { frame.fill(0); }
    void TearDown() override { std::fill_n(rawSpectrum, kRawSpectrumSize, 0.0f); }
    std::vector<std::pair<int, int>> lit() const {
        std::vector<std::pair<int, int>> out;
        for (int y = 0; y < 384; ++y)
            for (int x = 0; x < 512; ++x)
                if (frame.pixels[y * 512 + x]) out.push_back({x, y});
        return out;
    }
    PixelArray frame{512, 384};
};
using Points = std::vector<std::pair<int, int>>;
}  // namespace

TEST_F(Lines, StartIsCoveredEndIsNotAndPointsDrawNothing) {
    drawThickLine(frame.pixels, 10, 10, 10, 10, 1, 512, 384, 1, 1);
    EXPECT_EQ(lit(), Points{});
    drawThickLine(frame.pixels, 0, 5, 4, 5, 1, 512, 384, 1, 1);
    EXPECT_EQ(lit(), (Points{{0, 5}, {1, 5}, {2, 5}, {3, 5}}));
    frame.fill(0);
    drawThickLine(frame.pixels, 0, 0, 3, 3, 1, 512, 384, 1, 1);  // 45 degrees: both passes, same pixels
    EXPECT_EQ(lit(), (Points{{0, 0}, {1, 1}, {2, 2}}));
    frame.fill(0);
    drawThickLine(frame.pixels, 3, 1, 0, 0, 1, 512, 384, 1, 1);  // leftwards, shallow
    EXPECT_EQ(lit(), (Points{{1, 1}, {2, 1}, {3, 1}}));
}

TEST_F(Lines, EndPointsArePulledIntoTheFrameWithItsQuirks) {
    drawThickLine(frame.pixels, 505, 7, 600, 7, 1, 512, 384, 1, 1);  // x1 = 600 becomes 510
    EXPECT_EQ(lit(), (Points{{505, 7}, {506, 7}, {507, 7}, {508, 7}, {509, 7}}));
    frame.fill(0);
    drawThickLine(frame.pixels, 20, 380, 20, 382, 1, 512, 384, 1, 1);  // row 382 moves to 383
    EXPECT_EQ(lit(), (Points{{20, 380}, {20, 381}, {20, 382}}));
    frame.fill(0);
    drawThickLine(frame.pixels, -50, -50, 2, 0, 1, 512, 384, 2, 3);  // a 2 x 3 pen at (0, 0), then (1, 0)
    EXPECT_EQ(lit().size(), 3u * 3u);
    drawThickLine(frame.pixels, 0, 0, 200, 100, 1, 512, 384, 1 << 30, 1 << 30);  // huge pens stay inside
}

TEST_F(Lines, SpectrumBarsWrapTheirHeightAndSilenceDrawsNothing) {
    FX_VLines fx(512, 384);
    renderAt(fx, frame, 0);
    EXPECT_EQ(lit(), Points{});

    rawSpectrum[76] = 0.0625f;              // column 0: h = 3000 mod 128 = 56
    rawSpectrum[76 + 15] = 129.0f / 48000;  // column 10: h = 129 mod 128 = 1
    renderAt(fx, frame, 0);
    Points expected;
    for (int y = 145; y <= 256; ++y) expected.push_back({0, y});
    expected.push_back({10, 200});
    expected.push_back({10, 201});
    std::sort(expected.begin(), expected.end(), [](auto a, auto b) { return a.second != b.second ? a.second < b.second : a.first < b.first; });
    EXPECT_EQ(lit(), expected);
    EXPECT_EQ(frame.pixels[145 * 512], 0x00FF0000u);
}

TEST(Parallax, MirrorsAndRollsTheFrame) {
    PixelArray frame(512, 384), before(512, 384);
    fillPattern(frame);
    before.copyFrom(frame);
    auto at = [](const PixelArray& a, int x, int y) { return a.pixels[y * 512 + x]; };

    FX_Parallax none(512, 384, 0);
    renderAt(none, frame, 1.0f);
    EXPECT_EQ(at(frame, 17, 17), at(before, 17, 17));

    FX_Parallax vertical(512, 384, 1);
    renderAt(vertical, frame, 0.0f);
    EXPECT_EQ(at(frame, 5, 0), at(before, 5, 0));
    EXPECT_EQ(at(frame, 5, 1), at(before, 5, 383));
    frame.copyFrom(before);
    renderAt(vertical, frame, 0.5f);  // 250 rows later
    EXPECT_EQ(at(frame, 5, 0), at(before, 5, 250));
    EXPECT_EQ(at(frame, 5, 251), at(before, 5, 383));

    FX_Parallax both(512, 384, 3);  // the horizontal pass replaces the vertical one
    frame.copyFrom(before);
    renderAt(both, frame, 0.0f);
    for (int c : {0, 1, 300, 511}) EXPECT_EQ(at(frame, c, 9), at(before, 511 - c, 9));

    FX_Parallax jumpy(512, 384, 7);
    showSrand(11);
    renderAt(jumpy, frame, 0.5f);
    EXPECT_EQ(drawsSince(11), 2);  // one number per pass
}
