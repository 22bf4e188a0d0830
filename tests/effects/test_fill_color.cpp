#include <gtest/gtest.h>

#include "effects/filters/FX_FillColor.h"

namespace {
struct Fill : ::testing::Test {
    void SetUp() override {
        for (uint32_t i = 0; i < frame.size; ++i) frame.pixels[i] = 0xC0102030u + (i & 0x3F);
    }
    PixelArray render(FX_FillColor& fx, float t) {
        fx.setTimeWindow(0, 100);
        fx.isActive(t);
        fx.update();
        fx.setTarget(&frame);
        fx.render();
        PixelArray out(64, 48);
        out.copyFrom(frame);
        return out;
    }
    PixelArray frame{64, 48};
};
}  // namespace

TEST_F(Fill, CopyModeFillsWithTheColourAndAZeroFourthByte) {
    FX_FillColor fx(64, 48, 0);
    fx.setPacked(0x0F0F0A);
    PixelArray out = render(fx, 1);
    for (uint32_t i = 0; i < out.size; ++i) ASSERT_EQ(out.pixels[i], 0x000F0F0Au);
}

TEST_F(Fill, AddAndSubtractSaturatePerByteAndKeepTheFourthByte) {
    FX_FillColor white(64, 48, 1);
    white.r = white.g = white.b = 1.0f;
    PixelArray out = render(white, 1);
    for (uint32_t i = 0; i < out.size; ++i) ASSERT_EQ(out.pixels[i], 0xC0FFFFFFu);

    SetUp();
    FX_FillColor red(64, 48, 2);
    red.r = 1.0f;
    out = render(red, 1);
    for (uint32_t i = 0; i < out.size; ++i) ASSERT_EQ(out.pixels[i], 0xC0002030u + (i & 0x3F)) << i;
}

TEST_F(Fill, ColourFollowsItsSegmentsAndOtherModesDrawNothing) {
    FX_FillColor fade(64, 48, 0);
    fade.addColorSegment({Color(0xFFFFFFu), Color(0x000000u), 10, 12});
    PixelArray out = render(fade, 11);
    EXPECT_EQ(out.pixels[0], 0x007F7F7Fu);  // half of 255, truncated
    out = render(fade, 20);                 // after the segment the colour stays
    EXPECT_EQ(out.pixels[0], 0x007F7F7Fu);

    SetUp();
    FX_FillColor none(64, 48, -1);
    none.setPacked(0xFFFFFF);
    out = render(none, 1);
    for (uint32_t i = 0; i < out.size; ++i) ASSERT_EQ(out.pixels[i], 0xC0102030u + (i & 0x3F));

    FX_FillColor spill(64, 48, 0);
    spill.g = 256.0f / 255.0f;  // no clamping: green 256 carries into red
    out = render(spill, 1);
    EXPECT_EQ(out.pixels[0], 0x00010000u);
}
