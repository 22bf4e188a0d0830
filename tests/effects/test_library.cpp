#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

#include "effects/filters/FX_Blur.h"
#include "effects/filters/FX_FillColor.h"
#include "effects/filters/FX_FrameBuffer.h"
#include "effects/filters/FX_Invert.h"
#include "effects/filters/FX_Mosaic.h"
#include "effects/filters/FX_MotionBlur.h"
#include "effects/generators/FX_2DTunnel.h"
#include "effects/generators/FX_Brownian.h"
#include "effects/generators/FX_Fractal.h"
#include "effects/generators/FX_Metaballs2D.h"
#include "effects/generators/FX_ShowBuffer.h"
#include "effects/generators/FX_SpriteRotate.h"
#include "effects/generators/FX_Sticks.h"
#include "effects/generators/ThickLine.h"
#include "pixel/Random.h"
#include "support/EffectHarness.h"
#include "timeline/Timeline.h"

TEST(Blur, RadiusOneSpreadsAWhitePixelOverNineAndFlatPicturesStayFlat) {
    PixelArray frame(32, 24);
    frame.fill(0);
    frame.pixels[10 * 32 + 10] = 0x00FFFFFF;
    FX_Blur blur(32, 24, 1);
    renderAt(blur, frame, 0);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool inside = std::abs(x - 10) <= 1 && std::abs(y - 10) <= 1;
            ASSERT_EQ(frame.pixels[y * 32 + x], inside ? 0xFF1C1C1Cu : 0xFF000000u) << x << "," << y;
        }
    fillPattern(frame);
    PixelArray before(32, 24);
    before.copyFrom(frame);
    FX_Blur none(32, 24, 0), wide(32, 24, 4);
    renderAt(none, frame, 0);
    EXPECT_EQ(firstDifference(frame, before), -1);
    frame.fill(0x00336699);
    renderAt(wide, frame, 0);
    EXPECT_EQ(firstOther(frame, 0xFF336699u), -1);  // a flat picture stays flat, alpha set
}

TEST(MotionBlurInvertMosaic, TrailsFoldingAndBlockMeansOnSmallFrames) {
    PixelArray frame(8, 8);
    frame.fill(0x00FFFFFF);
    FX_MotionBlur trails(8, 8, 1), copyOnly(8, 8, 0);
    renderAt(trails, frame, 0);  // the history starts black
    EXPECT_EQ(frame.pixels[5], 0x007F7F7Fu);
    EXPECT_EQ(trails.history[5], 0x007F7F7Fu);
    frame.fill(0x12345678);
    renderAt(copyOnly, frame, 0);
    EXPECT_EQ(frame.pixels[0], 0x12345678u);
    EXPECT_EQ(copyOnly.history[63], 0x12345678u);

    // Invert: level, word before, word after (the fourth byte survives; the difference is 32-bit signed,
    // so level 0xFFFFFFFF is -1 and gives c + 1).
    const uint32_t inverts[][3] = {{255, 0xAB123456, 0xABEDCBA9}, {128, 0x0000FF80, 0x00807F00},
                                   {0xFFFFFFFF, 0x001234FF, 0x001335FF}};
    for (const auto& c : inverts) {
        FX_Invert fx(8, 8, c[0]);
        frame.fill(c[1]);
        renderAt(fx, frame, 0);
        EXPECT_EQ(frame.pixels[0], c[2]) << c[0];
    }

    PixelArray halves(16, 16);
    for (uint32_t i = 0; i < halves.size; ++i) halves.pixels[i] = (i % 16) < 8 ? 0xFF000000u : 0xFFFFFFFFu;
    FX_Mosaic blocks(16, 16, 16);
    renderAt(blocks, halves, 0);
    EXPECT_EQ(halves.pixels[0], 0x007F7F7Fu);
    EXPECT_EQ(halves.pixels[255], 0x007F7F7Fu);
    // A block size that does not divide the frame: the edge blocks average what they cover.
    PixelArray odd(10, 3);
    for (uint32_t i = 0; i < odd.size; ++i) odd.pixels[i] = (i % 10) >= 8 ? 0x000000F0u : 0x00000010u;
    FX_Mosaic partial(10, 3, 4), zero(10, 3, 0);
    renderAt(partial, odd, 0);
    EXPECT_EQ(odd.pixels[9], 0x000000F0u);  // columns 8-9 alone
    EXPECT_EQ(odd.pixels[0], 0x00000010u);
    renderAt(zero, odd, 0);                 // raised to 1
    EXPECT_EQ(odd.pixels[29], 0x000000F0u);
}

TEST(FrameBuffer, SaveKeepsTheFrameAndLoadAddsItBack) {
    Timeline timeline(1u);
    timeline.setFrameSize(512, 384);
    timeline.setEndTime(10);
    timeline.useExternalTime();
    FX_FillColor white(512, 384, 0), grey(512, 384, 0);
    white.setPacked(0xFFFFFF);
    grey.setPacked(0x404040);
    FX_FrameBuffer save(512, 384, 0, 5), load(512, 384, 1, 0), quiet(512, 384, 1, 0);
    load.setBlendMode(1);
    for (Effect* e : std::initializer_list<Effect*>{&white, &save, &grey, &quiet, &load}) {
        e->setTimeWindow(0, 10);
        timeline.addEffect(e);
    }
    EXPECT_EQ(save.layerIndex, 0);
    PixelArray& frame = timeline.renderFrame(1);
    EXPECT_EQ(timeline.getLayer(0)->pixels[100], 0x00FFFFFFu);  // saved, not drawn
    EXPECT_EQ(frame.pixels[100], 0x00FFFFFFu);                   // grey plus the saved white, saturated
}

TEST(Tunnel2D, DepthAndAngleTables) {
    FX_2DTunnel tunnel(64, 48);
    auto at = [&](const std::unique_ptr<uint8_t[]>& t, int x, int y) { return t[size_t(y) * 64 + size_t(x)]; };
    EXPECT_EQ(at(tunnel.depthTable, 32, 24), 0);    // the centre
    EXPECT_EQ(at(tunnel.depthTable, 33, 24), 222);  // distance 1: trunc(2^1.8 x 64)
    EXPECT_EQ(at(tunnel.angleTable, 40, 24), 0);    // right of the centre
    PixelArray tex(256, 256);
    for (uint32_t i = 0; i < tex.size; ++i) tex.pixels[i] = i;
    tunnel.setSourceImage(&tex);
    PixelArray frame(64, 48);
    renderAt(tunnel, frame, 0);
    EXPECT_EQ(tunnel.pixels[24 * 64 + 32], 42u * 256 + 230);  // row 42, column (0 - 26) & 255
}

TEST(Fractal, PaletteZoomAndTheCentreMark) {
    FX_Fractal fractal(512, 384);
    // Inside: 192; outside at once: 0; the orbit starts at c, so (1, 1) is out after one step.
    EXPECT_EQ(std::make_tuple(FX_Fractal::iterate(0, 0), FX_Fractal::iterate(5, 0), FX_Fractal::iterate(1, 1)), std::make_tuple(192, 0, 1));
    zoomX = zoomY = -1.0;
    PixelArray frame(512, 384);
    renderAt(fractal, frame, 0);
    EXPECT_NEAR(2 * std::fabs(zoomX), 1.7, 1e-12);
    renderAt(fractal, frame, 0);
    EXPECT_NEAR(2 * std::fabs(zoomX), 1.445, 1e-12);
    EXPECT_EQ(fractal.pixels[98559], 0x00FFFFFFu);  // the centre mark
}

TEST(Metaballs, InverseSquareFieldClampedAt255) {
    FX_Metaballs2D one(512, 384, 1);
    PixelArray frame(512, 384);
    frame.fill(0);
    renderAt(one, frame, 0);  // at t = 0 the ball sits at (256, 192 + 130)
    EXPECT_EQ(frame.pixels[322 * 512 + 256], 0x00FFFFFFu);  // on the centre: an infinite sum, 255
    // 32 balls: the sum of 1 / (dy^2 + dx^2) with the differences in double, added up in float (at this
    // time pixel (483, 188) tells a float difference apart).
    FX_Metaballs2D all(512, 384, 32);
    frame.fill(0);
    const float t = 0x1.9970a2p+3f;  // 12.7949991
    renderAt(all, frame, t);
    float cx[32], cy[32];
    for (int k = 0; k < 32; ++k) {
        cx[k] = float(std::sin(t + 0.35 * k) * std::sin(0.1 * ((k + 1) * double(t))) * 130 + 256);
        cy[k] = float(std::cos(0.23 * k + t) * std::cos(0.15 * ((k + 1) * double(t))) * 130 + 192);
    }
    for (uint32_t y = 0; y < 384; ++y)
        for (uint32_t x = 0; x < 512; ++x) {
            float f = 0;
            for (int k = 0; k < 32; ++k)
                f = float(f + 1.0 / ((y - double(cy[k])) * (y - double(cy[k])) + (x - double(cx[k])) * (x - double(cx[k]))));
            ASSERT_EQ(frame.pixels[y * 512 + x], uint32_t(std::clamp(int(f * 196607.0), 0, 255)) * 0x010101u) << x << "," << y;
        }
    FX_Metaballs2D none(512, 384, 0), many(512, 384, 99);
    EXPECT_EQ(many.ballCount, 32);
    frame.fill(7);
    renderAt(none, frame, 3);
    EXPECT_EQ(frame.pixels[1000], 7u);
}

TEST(Brownian, StepsOfOneSixtyFourthAndLinesBetweenProjectedEnds) {
    showSrand(5);
    FX_Brownian walk(512, 384);
    std::set<float> components;
    for (int k = 1; k < 4096; ++k) {
        const Vector3 d = walk.walk.points[size_t(k)] - walk.walk.points[size_t(k - 1)];
        components.insert({std::fabs(d.x), std::fabs(d.y), std::fabs(d.z)});
    }
    EXPECT_EQ(components, (std::set<float>{0.015625f}));
    PixelArray a(512, 384), b(512, 384), expected(512, 384);
    a.fill(0x00FFFFFF), b.fill(0x00FFFFFF), expected.fill(0x00FFFFFF);
    renderAt(walk, a, 1);
    renderAt(walk, b, 1);
    EXPECT_FALSE(std::equal(a.pixels, a.pixels + a.size, b.pixels));  // a new walk each frame
    // Line k joins the projected ends k and k + 1 (1/z and the screen position kept as floats, then
    // truncated and clamped) in red trunc(k / 4096 x 255).
    auto end = [&](int k, int& x, int& y) {
        const Vector3& p = walk.walk.steps[size_t(k)];
        const float iz = float(1.0 / float(p.z * 8.0 - 10.0));
        x = std::clamp(int(float(256.0 + p.x * 256.0 * iz)), 0, 511);
        y = std::clamp(int(float(192.0 - p.y * 256.0 * iz)), 0, 383);
    };
    for (int k = 0; k < 4095; ++k) {
        int x0, y0, x1, y1;
        end(k, x0, y0), end(k + 1, x1, y1);
        drawThickLine(expected.pixels, x0, y0, x1, y1, uint32_t(int(k / 4096.0 * 255)) << 16, 512, 384, 3, 3);
    }
    for (uint32_t i = 0; i < b.size; ++i) ASSERT_EQ(b.pixels[i], expected.pixels[i]) << i;
}

TEST(Sticks, GeometryColoursAndPens) {
    const auto first = stickLines(0, 0.005f, 512, 384);
    EXPECT_EQ(std::make_pair(first[0].x0, first[0].colour), std::make_pair(256, 0x0000CCFFu));
    EXPECT_EQ(stickLines(1, 0.005f, 512, 384)[0].colour, 0x003333FFu);
    EXPECT_EQ(stickLines(2, 0.005f, 512, 384)[1].colour, first[1].colour);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(first[size_t(i)].penW, i % 2 == 0 ? 6 : (i == 5 ? 4 : 2)) << i;
    EXPECT_EQ(std::make_pair(first[4].x0, first[4].y0), std::make_pair(512 - first[0].x0, 384 - first[0].y0));  // mirrored

    sticksPhase = 0;
    FX_Sticks sticks(512, 384);
    FX_ShowBuffer show(512, 384, &sticks, 0);
    sticks.fill(0);
    PixelArray frame(512, 384);
    frame.fill(0x00123456);
    renderAt(sticks, frame, 0);
    EXPECT_EQ(frame.pixels[0], 0x00123456u);  // the sticks drew into their own buffer
    renderAt(show, frame, 0);
    EXPECT_EQ(frame.pixels[0], 0u);
    EXPECT_NE(std::count(frame.pixels, frame.pixels + frame.size, 0x0000CCFFu), 0);
    EXPECT_FLOAT_EQ(sticksPhase, 0.005f);

    FX_SpriteRotate idle(512, 384);
    renderAt(idle, frame, 0);
    EXPECT_EQ(frame.pixels[0], 0u);
}
