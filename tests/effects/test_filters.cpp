#include <gtest/gtest.h>

#include <array>

#include "effects/filters/FX_Contrast.h"
#include "effects/filters/FX_FillColor.h"
#include "effects/filters/FX_RadialBlur.h"
#include "support/EffectHarness.h"

TEST(Fill, CopyAddAndSubtractPerByteByModeColourFromSegmentsNoClamping) {
    PixelArray frame(64, 48);
    auto expectEvery = [&](auto expected, const char* what) {
        for (uint32_t i = 0; i < frame.size; ++i) ASSERT_EQ(frame.pixels[i], expected(i)) << what << " " << i;
    };
    FX_FillColor copy(64, 48, 0), white(64, 48, 1), red(64, 48, 2), none(64, 48, -1);
    copy.setPacked(0x0F0F0A);
    white.r = white.g = white.b = 1.0f;
    red.r = 1.0f;
    none.setPacked(0xFFFFFF);
    const std::pair<FX_FillColor*, uint32_t (*)(uint32_t)> cases[] = {
        {&copy, [](uint32_t) { return 0x000F0F0Au; }},                  // the fourth byte becomes 0
        {&white, [](uint32_t) { return 0xC0FFFFFFu; }},                 // saturated, the fourth byte kept
        {&red, [](uint32_t i) { return 0xC0002030u + (i & 0x3F); }},  // red gone, the rest kept
        {&none, [](uint32_t i) { return 0xC0102030u + (i & 0x3F); }},   // other modes draw nothing
    };
    for (const auto& [fx, expected] : cases) {
        for (uint32_t i = 0; i < frame.size; ++i) frame.pixels[i] = 0xC0102030u + (i & 0x3F);
        renderAt(*fx, frame, 1);
        expectEvery(expected, "mode");
    }

    FX_FillColor fade(64, 48, 0), spill(64, 48, 0);
    fade.addColorSegment({Color(0xFFFFFFu), Color(0x000000u), 10, 12});
    renderAt(fade, frame, 11);
    EXPECT_EQ(frame.pixels[0], 0x007F7F7Fu);  // half of 255, truncated
    renderAt(fade, frame, 20);                // after the segment the colour stays
    EXPECT_EQ(frame.pixels[0], 0x007F7F7Fu);
    spill.g = 256.0f / 255.0f;  // no clamping: green 256 carries into red
    renderAt(spill, frame, 1);
    EXPECT_EQ(frame.pixels[0], 0x00010000u);
}

TEST(Contrast, TablesForTheShowsAngleAQuarterTurnZeroAndSteepAngles) {
    uint8_t t[256];
    buildContrastTable(0.5f, t);
    EXPECT_EQ((std::array<int, 5>{t[58], t[59], t[128], t[196], t[197]}), (std::array<int, 5>{0, 1, 128, 252, 255}));
    buildContrastTable(0.78539819f, t);  // pi/4 as a float: tan is 1, the identity
    for (int i = 0; i < 256; ++i) ASSERT_EQ(t[i], i);
    buildContrastTable(0.0f, t);  // a threshold
    for (int i = 0; i < 256; ++i) ASSERT_EQ(t[i], i < 128 ? 0 : 255) << i;
    buildContrastTable(1.2f, t);  // f = 2.57: every entry from the line, none clipped
    EXPECT_EQ(t[0], 78);
    EXPECT_EQ(t[255], 177);
}

TEST(Contrast, RemapsEveryChannelAndClearsTheFourthByte) {
    PixelArray frame(16, 4), before(16, 4);
    for (uint32_t i = 0; i < frame.size; ++i) frame.pixels[i] = 0xAB000000u | (i * 0x030507u & 0xFFFFFF);
    before.copyFrom(frame);
    FX_Contrast fx(16, 4);
    fx.contrast = 0.5f;
    renderAt(fx, frame, 0);
    uint8_t t[256];
    buildContrastTable(0.5f, t);
    for (uint32_t i = 0; i < frame.size; ++i) {
        const uint32_t w = before.pixels[i];
        ASSERT_EQ(frame.pixels[i], uint32_t(t[(w >> 16) & 255]) << 16 | uint32_t(t[(w >> 8) & 255]) << 8 | t[w & 255]);
    }
}

TEST(RadialBlur, CornerPixelSamplesNineRowsAndTwelveColumnsInward) {
    PixelArray frame(512, 384);
    frame.fill(0);
    frame.pixels[10 * 512 + 498] = 0x00FEFEFE;
    FX_RadialBlur fx(512, 384, 0, 0.05f);
    renderAt(fx, frame, 0);
    // Row 10 is walked before row 1: P[10][498] first averages with the black P[19][486] ...
    EXPECT_EQ(frame.pixels[10 * 512 + 498], 0x007F7F7Fu);
    // ... then P[1][510] averages with it, and its neighbour samples P[10][497], still black.
    EXPECT_EQ(frame.pixels[1 * 512 + 510], 0x003F3F3Fu);
    EXPECT_EQ(frame.pixels[1 * 512 + 509], 0u);
    // The mirrored writes reach the other quadrants' corners only through their own samples.
    EXPECT_EQ(frame.pixels[1 * 512 + 1], 0u);
}

TEST(RadialBlur, ZeroStrengthKeepsColoursAndOtherStrengthsNeverReadOutside) {
    PixelArray frame(64, 48), before(64, 48);
    fillPattern(frame);
    before.copyFrom(frame);
    FX_RadialBlur still(64, 48, 0, 0.0f);
    renderAt(still, frame, 0);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {  // the fourth byte is cleared inside the border
            const uint32_t was = before.pixels[y * 64 + x];
            const bool border = x == 0 || y == 0 || x == 63 || y == 47;
            ASSERT_EQ(frame.pixels[y * 64 + x], border ? was : (was & 0x00FFFFFFu)) << x << "," << y;
        }
    for (float s : {-3.0f, 1.5f, 40.0f}) {  // under the sanitizers, an out-of-frame read fails here
        FX_RadialBlur fx(64, 48, 0, s);
        renderAt(fx, frame, 0);
    }
}
