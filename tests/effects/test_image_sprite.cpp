#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <filesystem>

#include "effects/generators/FX_Image.h"
#include "effects/generators/FX_Sprite.h"
#include "effects/generators/SineTable.h"
#include "pixel/ImageList.h"
#include "pixel/Random.h"
#include "platform/MessageBox.h"
#include "support/EffectHarness.h"
#include "tools/assetgen/SineTableFile.h"

namespace {

uint32_t channelsOf(uint32_t s, uint32_t d, uint32_t ws, uint32_t wd) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= ((((s >> shift) & 255) * ws + ((d >> shift) & 255) * wd) >> 8) << shift;
    return out;
}

}  // namespace

TEST(Image, SequenceShowsImageTrunc25TimesTimePlusStartModuloCount) {
    ImageList list;
    for (int i = 0; i < 10; ++i) list.images.push_back(std::make_unique<PixelArray>(4, 4));
    list.count = 10;
    FX_Image fx(4, 4, nullptr);
    fx.setImageSequence(&list);
    fx.setTimeWindow(2.0f, 10.0f);
    fx.isActive(3.0f);
    EXPECT_EQ(fx.sequenceImage(), list.get(7));  // trunc(fmod(3 * 25 + 2, 10))

    ImageList empty;
    fx.setImageSequence(&empty);
    EXPECT_EQ(fx.sequenceImage(), nullptr);
    PixelArray frame(4, 4);
    renderAt(fx, frame, 3.0f);  // nothing to draw, nothing drawn
    EXPECT_EQ(frame.pixels[0], 0x000000FFu);
}

TEST(Image, OpacityBlendUsesWeightsOutOf512) {
    PixelArray pic(8, 2), frame(8, 2);
    for (uint32_t i = 0; i < pic.size; ++i) pic.pixels[i] = 0xFF000000u | (0x123456u * (i + 1) & 0xFFFFFF);
    frame.fill(0x80C04020);
    FX_Image fx(8, 2, nullptr);
    fx.setSourceImage(&pic);
    fx.setBlendMode(3);
    fx.setOpacity(255);
    renderAt(fx, frame, 0);
    for (uint32_t i = 0; i < pic.size; ++i) ASSERT_EQ(frame.pixels[i], channelsOf(pic.pixels[i], 0x80C04020, 253, 2));

    // Opacity 0 still darkens: every channel to (c * 255) >> 8, whatever the alpha.
    pic.fill(0x7F123456);
    frame.fill(0x80C04020);
    fx.setOpacity(0);
    renderAt(fx, frame, 0);
    EXPECT_EQ(frame.pixels[3], channelsOf(0, 0xC04020, 0, 255));
    EXPECT_EQ(frame.pixels[3], 0x00BF3F1Fu);

    // A pixel shows only where alpha + opacity exceeds 257 (alpha 3: weight 1, (255 * 1) >> 8 = 0).
    fx.setOpacity(255);
    for (uint32_t alpha : {2u, 3u, 4u}) {
        pic.fill(alpha << 24 | 0xFFFFFF);
        frame.fill(0);
        renderAt(fx, frame, 0);
        EXPECT_EQ(frame.pixels[0], alpha == 4 ? 0x00010101u : 0u) << alpha;
    }
}

TEST(Image, LargerPictureShowsAClampedWindowAndSkipsTheOpacityBlend) {
    PixelArray pic(32, 24), frame(16, 12);
    fillPattern(pic);
    FX_Image fx(16, 12, nullptr);
    fx.setSourceImage(&pic);
    fx.offsetX = 100;  // clamped to 32 - 16
    fx.offsetY = 3;
    renderAt(fx, frame, 0);
    for (int r = 0; r < 12; ++r) EXPECT_EQ(firstDifference(frame.pixels + r * 16, pic.pixels + (3 + r) * 32 + 16, 16), -1) << r;

    frame.fill(5);
    fx.setBlendMode(3);
    renderAt(fx, frame, 0);
    EXPECT_EQ(frame.pixels[0], 5u);

    // A random window is drawn anew each frame; at the frame's own size it is always (0, 0).
    PixelArray same(16, 12);
    fillPattern(same);
    fx.setSourceImage(&same);
    fx.setBlendMode(0);
    fx.randomPosition = true;
    showSrand(3);
    renderAt(fx, frame, 0);
    EXPECT_EQ(drawsSince(3), 2);  // rand() mod 1 for each direction
    EXPECT_EQ(fx.offsetX, 0);
    EXPECT_EQ(frame.pixels[17], same.pixels[17]);

    PixelArray small(8, 12);  // smaller than the effect: nothing drawn, nothing read outside
    fx.setSourceImage(&small);
    frame.fill(9);
    renderAt(fx, frame, 0);
    EXPECT_EQ(frame.pixels[0], 9u);
}

namespace {
struct Sprite : ::testing::Test {
    void SetUp() override {
        tex.fill(0xFF102030);
        frame.fill(0);
    }
    long covered() const { return long(frame.size) - std::count(frame.pixels, frame.pixels + frame.size, 0u); }
    void draw(FX_Sprite& s, float x, float y, int fade = 0) {
        s.setPosition(Vector3(x, y, 0));
        s.setOpacity(fade);
        renderAt(s, frame, 0);
    }
    PixelArray tex{64, 64};
    PixelArray frame{512, 384};
};
}  // namespace

TEST_F(Sprite, ClipsAtTheFrameEdges) {
    FX_Sprite s(512, 384, &tex, 0);
    draw(s, 480, 10);
    EXPECT_EQ(covered(), 32 * 64);  // the left 32 columns
    EXPECT_EQ(frame.pixels[10 * 512 + 511], 0xFF102030u);
    frame.fill(0);
    draw(s, 10, 360);
    EXPECT_EQ(covered(), 64 * 24);  // the top 24 rows
    frame.fill(0);
    FX_Sprite none(512, 384, &tex, 1);
    draw(s, -1e9f, 5);
    draw(none, 10, 10, 255);
    EXPECT_EQ(covered(), 0);
}

TEST_F(Sprite, StraightModesScaleOrBlendByTheFade) {
    tex.fill(0x00FF8001);
    FX_Sprite add(512, 384, &tex, 8), sub(512, 384, &tex, 9), blend(512, 384, &tex, 3);
    draw(add, 0, 0, 255);
    EXPECT_EQ(frame.pixels[0], 0x00FF8001u);  // added unchanged
    draw(add, 0, 0, 128);
    EXPECT_EQ(frame.pixels[0], 0x00FFC001u);  // plus trunc(c / 255 * 128): 128, 64, 0
    frame.fill(0x00FFFFFF);
    draw(sub, 0, 0, 255);
    EXPECT_EQ(frame.pixels[0], 0x000180FFu);  // minus trunc(c * 255 / 256): 254, 127, 0
    tex.fill(0xFF804020);
    frame.fill(0x00FFFFFF);
    draw(blend, 0, 0, 255);  // alpha and fade 255: weights 0 and 255, (S * 255) >> 8
    EXPECT_EQ(frame.pixels[0], 0x007F3F1Fu);
}

TEST_F(Sprite, RotatedModesSkipTheKeyColourAndTurnAboutTheCentre) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "softshow-sintab";
    std::filesystem::create_directories(dir);
    std::string reason;
    ASSERT_TRUE(writeSineTable((dir / "sintab.dat").string(), reason)) << reason;
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    fillPattern(tex);
    for (uint32_t i = 0; i < tex.size; ++i) tex.pixels[i] &= 0x00FFFFFF;
    tex.pixels[5 * 64 + 5] = 0xFF000000;
    FX_Sprite opaque(512, 384, &tex, 4);
    FX_Sprite keyed(512, 384, &tex, 5);  // every rotating sprite reads the table when it is built
    std::filesystem::current_path(cwd);
    ASSERT_TRUE(rotationTablesLoaded);
    EXPECT_EQ(sinTable[64], 1024);
    EXPECT_EQ(cosTable[0], 1024);

    // Angle 0 walks the texture backwards from the box's far corner: a half turn about the centre.
    draw(opaque, 100, 50);
    for (int r = 0; r < 64; ++r)
        for (int c = 0; c < 64; ++c) ASSERT_EQ(frame.pixels[(50 + r) * 512 + 100 + c], tex.pixels[(63 - r) * 64 + 63 - c]);

    frame.fill(0x00ABCDEF);
    draw(keyed, 100, 50);
    EXPECT_EQ(frame.pixels[(50 + 58) * 512 + 100 + 58], 0x00ABCDEFu);  // the key texel (5, 5)
    EXPECT_EQ(frame.pixels[(50 + 63) * 512 + 100 + 63], 0x00ABCDEFu);  // texture row and column 0
    EXPECT_EQ(frame.pixels[(50 + 57) * 512 + 100 + 58], tex.pixels[6 * 64 + 5]);
}

TEST_F(Sprite, ZoomAtZeroAddsTheTextureAtItsOwnSizeAroundTheCentre) {
    tex.fill(0x00204060);
    FX_Sprite s(512, 384, &tex, 7);
    draw(s, 200, 100, 255);
    EXPECT_EQ(covered(), 64 * 64);
    EXPECT_EQ(frame.pixels[68 * 512 + 168] & frame.pixels[131 * 512 + 231], 0x00204060u);  // from (200 - 32, 100 - 32)
    frame.fill(0);
    tex.fill(0x00F0E020);
    draw(s, 200, 100, 0x40);  // a fade under 255 darkens each channel by 255 - fade, stopping at 0
    EXPECT_EQ(frame.pixels[100 * 512 + 200], 0x00312100u);
    s.setPosition(Vector3(200, 100, 1e7f));  // a huge zoom is clipped to the frame, not walked
    renderAt(s, frame, 0);

    // Every drawn pixel is the texel the running sums name: word trunc(v) * Sw + trunc(u), where u and v
    // have been stepped once per column and row before it, also far outside the frame (zoom 5e5 starts
    // 24,000 columns to the left), and a column that reaches Sw reads the next row's first texel (20 x 4
    // at zoom 208, 15 x 13 at 416).
    PixelArray narrow(20, 4), odd(15, 13);
    const std::pair<PixelArray*, float> cases[] = {{&tex, 5e5f}, {&tex, -3.3f}, {&narrow, 208}, {&odd, 416}};
    for (const auto& [texture, z] : cases) {
        fillPattern(*texture);
        FX_Sprite zoomed(512, 384, texture, 7);
        frame.fill(0);
        zoomed.setOpacity(255);
        zoomed.setPosition(Vector3(200.7f, 100.2f, z));
        renderAt(zoomed, frame, 0);
        const double fw = texture->width, fh = texture->height;
        const float d = float(0.1f * double(z)), H2 = float(fh + d), W2 = float(fw + fw * d / fh);
        const float stepV = float(fh / H2), stepU = float(fw / W2);
        const int left = int(200 - fw * 0.5) + int(-fw * d / (2 * fh)), top = int(100 - fh * 0.5) + int(-d / 2.0);
        float v = 0;
        for (int row = 0; row < H2 && top + row < 384; ++row, v += stepV) {
            float u = 0;
            for (int col = 0; top + row >= 0 && col < W2 && left + col < 512; ++col, u += stepU) {
                if (left + col < 0) continue;
                const int word = std::clamp(int(v) * int(fw) + int(u), 0, int(texture->size) - 1);
                ASSERT_EQ(frame.pixels[(top + row) * 512 + left + col], texture->pixels[word] & 0x00FFFFFFu)
                    << "zoom " << z << " row " << row << " column " << col;
            }
        }
    }
}

TEST(SineTable, MissingFileEndsWithAMessageNamingIt) {
    setMessageBoxesEnabled(false);
    const auto dir = std::filesystem::temp_directory_path() / "softshow-no-sintab";
    std::filesystem::create_directories(dir);
    EXPECT_EXIT(
        {
            std::filesystem::current_path(dir);
            loadSineTable(64, 64);
        },
        ::testing::ExitedWithCode(0), "Can't read sintab.dat\nsoftshow: sintab.dat: ");
}
