#include <gtest/gtest.h>

#include <algorithm>

#include "effects/generators/FX_Parallax.h"
#include "effects/generators/FX_VLines.h"
#include "effects/generators/ThickLine.h"
#include "support/EffectHarness.h"
#include "timeline/Spectrum.h"

namespace {
using Points = std::vector<std::pair<int, int>>;

// The pixels one drawThickLine call lights on a black frame, in row order.
Points line(int x0, int y0, int x1, int y1, int penW = 1, int penH = 1) {
    PixelArray frame(512, 384);
    frame.fill(0);
    drawThickLine(frame.pixels, x0, y0, x1, y1, 1, 512, 384, penW, penH);
    Points out;
    for (int i = 0; i < 512 * 384; ++i)
        if (frame.pixels[i]) out.push_back({i % 512, i / 512});
    return out;
}
}  // namespace

TEST(Lines, StartIsCoveredEndIsNotEndsArePulledIntoTheFrame) {
    EXPECT_EQ(line(10, 10, 10, 10), Points{});  // a point draws nothing
    EXPECT_EQ(line(0, 5, 4, 5), (Points{{0, 5}, {1, 5}, {2, 5}, {3, 5}}));
    EXPECT_EQ(line(0, 0, 3, 3), (Points{{0, 0}, {1, 1}, {2, 2}}));  // 45 degrees: both passes, same pixels
    EXPECT_EQ(line(3, 1, 0, 0), (Points{{1, 1}, {2, 1}, {3, 1}}));  // leftwards, shallow
    EXPECT_EQ(line(505, 7, 600, 7), (Points{{505, 7}, {506, 7}, {507, 7}, {508, 7}, {509, 7}}));  // x1 becomes 510
    EXPECT_EQ(line(20, 380, 20, 382), (Points{{20, 380}, {20, 381}, {20, 382}}));  // row 382 moves to 383
    EXPECT_EQ(line(-50, -50, 2, 0, 2, 3).size(), 3u * 3u);  // a 2 x 3 pen at (0, 0), then (1, 0)
    line(0, 0, 200, 100, 1 << 30, 1 << 30);  // huge pens: nothing outside the frame (the sanitizers watch)
}

// Rows and columns are filled as one rectangle: the same pixels as the pen stamped at each step, here
// stamped in the test from the pulled-in ends (x into 0 .. 510 - pen width, y into 0 .. 383 - pen height
// as the cases below keep them).
TEST(Lines, RowsAndColumnsLightWhatTheirStampsLight) {
    struct Case {
        int x0, y0, x1, y1, penW, penH;
    };
    const Case cases[] = {{5, 9, 40, 9, 1, 1},   {40, 9, 5, 9, 3, 2},     {7, 3, 7, 90, 2, 4},  {7, 90, 7, 3, 1, 1},
                          {0, 0, 500, 0, 9, 9},   {300, 200, 300, 370, 5, 1}, {1, 1, 2, 1, 4, 4},  {2, 379, 2, 1, 1, 3}};
    for (const Case& c : cases) {
        Points want;
        const bool row = c.y0 == c.y1;
        const int steps = row ? std::abs(c.x1 - c.x0) : std::abs(c.y1 - c.y0);
        const int sign = (row ? c.x1 - c.x0 : c.y1 - c.y0) > 0 ? 1 : -1;
        for (int i = 0; i < steps; ++i)
            for (int b = 0; b < c.penH; ++b)
                for (int a = 0; a < c.penW; ++a) {
                    const int x = (row ? c.x0 + sign * i : c.x0) + a, y = (row ? c.y0 : c.y0 + sign * i) + b;
                    want.push_back({x, y});
                }
        std::sort(want.begin(), want.end(), [](auto p, auto q) { return std::pair(p.second, p.first) < std::pair(q.second, q.first); });
        want.erase(std::unique(want.begin(), want.end()), want.end());
        EXPECT_EQ(line(c.x0, c.y0, c.x1, c.y1, c.penW, c.penH), want) << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
    }
}

TEST(Lines, SpectrumBarsWrapTheirHeightAndSilenceDrawsNothing) {
    PixelArray frame(512, 384);
    frame.fill(0);
    FX_VLines fx(512, 384);
    renderAt(fx, frame, 0);
    EXPECT_EQ(firstOther(frame, 0), -1);

    rawSpectrum[76] = 0.0625f;              // column 0: h = 3000 mod 128 = 56
    rawSpectrum[76 + 15] = 129.0f / 48000;  // column 10: h = 129 mod 128 = 1
    renderAt(fx, frame, 0);
    std::fill_n(rawSpectrum, kRawSpectrumSize, 0.0f);
    Points lit, expected{{10, 200}, {10, 201}};
    for (int y = 145; y <= 256; ++y) expected.push_back({0, y});
    for (int i = 0; i < 512 * 384; ++i)
        if (frame.pixels[i]) lit.push_back({i % 512, i / 512});
    std::sort(expected.begin(), expected.end(), [](auto a, auto b) { return std::pair(a.second, a.first) < std::pair(b.second, b.first); });
    EXPECT_EQ(lit, expected);
    EXPECT_EQ(frame.pixels[145 * 512], 0x00FF0000u);
}

TEST(Parallax, MirrorsAndRollsTheFrame) {
    PixelArray frame(512, 384), before(512, 384);
    fillPattern(before);
    auto at = [](const PixelArray& a, int x, int y) { return a.pixels[y * 512 + x]; };
    auto run = [&](uint32_t flags, float t) {
        FX_Parallax fx(512, 384, flags);
        frame.copyFrom(before);
        renderAt(fx, frame, t);
    };
    run(0, 1.0f);
    EXPECT_EQ(firstDifference(frame, before), -1);
    run(1, 0.0f);
    EXPECT_EQ(at(frame, 5, 0), at(before, 5, 0));
    EXPECT_EQ(at(frame, 5, 1), at(before, 5, 383));
    run(1, 0.5f);  // 250 rows later
    EXPECT_EQ(at(frame, 5, 0), at(before, 5, 250));
    EXPECT_EQ(at(frame, 5, 251), at(before, 5, 383));
    // Every row, for offsets even (two rows map to themselves) and odd (none), past one roll and more.
    for (float t : {0.002f, 0.5f, 0.771f, 3.1f}) {
        run(1, t);
        const int off = int(500.0 * double(t));
        for (int y = 0; y < 384; ++y)
            ASSERT_TRUE(std::equal(frame.pixels + y * 512, frame.pixels + y * 512 + 512,
                                   before.pixels + (off + 384 - y) % 384 * 512))
                << "t " << t << " row " << y;
    }
    run(3, 0.0f);  // the horizontal pass replaces the vertical one
    for (int c : {0, 1, 300, 511}) EXPECT_EQ(at(frame, c, 9), at(before, 511 - c, 9));
    showSrand(11);
    run(7, 0.5f);
    EXPECT_EQ(drawsSince(11), 2);  // a random speed: one number per pass
}
