#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <new>
#include <random>
#include <vector>

#include "pixel/Numeric.h"
#include "pixel/PixelArray.h"
#include "pixel/PixelOps.h"
#include "pixel/Random.h"

TEST(PixelOps, SaturatingSinglePixelsWorkOnAllFourBytes) {
    const uint32_t cases[][4] = {// target, value, after adding, after subtracting
                                 {0x00F0F0F0, 0x00202020, 0x00FFFFFF, 0x00D0D0D0},
                                 {0x01000000, 0xFF000000, 0xFF000000, 0},
                                 {0x80102030, 0x81203010, 0xFF305040, 0x00000020}};
    for (const auto& c : cases) {
        uint32_t p[2] = {c[0], c[0]};
        addPixelSaturated(p, 0, c[1]);
        subtractPixelSaturated(p, 1, c[1]);
        EXPECT_EQ(p[0], c[2]) << std::hex << c[0];
        EXPECT_EQ(p[1], c[3]) << std::hex << c[0];
    }
}

TEST(PixelOps, PackedKernelsMatchThePerByteReferenceBitForBit) {
    // Every pair of byte values in every lane, with the other lanes holding their own pattern.
    for (int lane = 0; lane < 4; ++lane) {
        const int shift = lane * 8;
        for (uint32_t a = 0; a < 256; ++a)
            for (uint32_t b = 0; b < 256; ++b) {
                const uint32_t x = (a << shift) | (0x80FF7F01u & ~(255u << shift));
                const uint32_t y = (b << shift) | (0x7F01FF80u & ~(255u << shift));
                ASSERT_EQ(addBytesSaturated(x, y), reference::addBytesSaturated(x, y)) << std::hex << x << " " << y;
                ASSERT_EQ(subtractBytesSaturated(x, y), reference::subtractBytesSaturated(x, y))
                    << std::hex << x << " " << y;
            }
    }
    std::mt19937 gen(7);
    for (int i = 0; i < 200000; ++i) {
        const uint32_t x = gen(), y = gen();
        ASSERT_EQ(addBytesSaturated(x, y), reference::addBytesSaturated(x, y));
        ASSERT_EQ(subtractBytesSaturated(x, y), reference::subtractBytesSaturated(x, y));
    }
}

// The copy (the fill and the saturating kernels' bounds are checked per target beside their SIMD forms).
TEST(PixelOps, CopyTouchesExactlyNWordsAndKernelsNothingForNoneOrFewer) {
    std::mt19937 gen(3);
    const int n = 1000;
    std::vector<uint32_t> src(n + 1), base(n + 1);
    for (int i = 0; i <= n; ++i) src[i] = gen(), base[i] = gen();
    std::vector<uint32_t> copied = base;
    copyPixels(copied.data(), src.data(), n);
    for (int i = 0; i < n; ++i) ASSERT_EQ(copied[i], src[i]) << i;
    EXPECT_EQ(copied[n], base[n]);

    std::vector<uint32_t> dst = base;
    fillPixels(dst.data(), 0, 1);
    copyPixels(dst.data(), src.data(), -5);
    addColorSaturated(dst.data(), -1, 0xFFFFFFFF);
    subtractPixelsSaturated(dst.data(), src.data(), 0);
    EXPECT_EQ(dst, base);
}

TEST(Numeric, TruncationGivesInt32MinForNaNAndEveryValueOutsideTheInt32Range) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const struct {
        double v;
        int32_t want;
    } cases[] = {{0.0, 0}, {-0.0, 0}, {-0.75, 0}, {0.75, 0}, {1e-310, 0}, {-7.9, -7}, {7.9, 7},
                 {2147483647.0, INT32_MAX}, {2147483647.999, INT32_MAX}, {2147483648.0, INT32_MIN},
                 {-2147483648.0, INT32_MIN}, {-2147483648.999, INT32_MIN}, {-2147483649.0, INT32_MIN},
                 {-2147483647.5, -2147483647}, {1e300, INT32_MIN}, {-1e300, INT32_MIN}, {inf, INT32_MIN},
                 {-inf, INT32_MIN}, {nan, INT32_MIN}, {-nan, INT32_MIN}};
    for (const auto& c : cases) EXPECT_EQ(truncToInt(c.v), c.want) << c.v;
}

TEST(Random, ReproducesTheClassicCLibrarySequence) {
    // The first values of the classic C library generator seeded with 1.
    showSrand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int e : expected) EXPECT_EQ(showRand(), e);
    for (int i = 0; i < 10000; ++i) {
        const int v = showRand();
        ASSERT_TRUE(v >= 0 && v <= kShowRandMax) << v;
    }
}

TEST(PixelArray, NewArrayIsBlueEmptyArrayHoldsNothingCopyTakesThisArraysCount) {
    PixelArray frame(512, 384);
    ASSERT_EQ(frame.size, 196608u);
    for (uint32_t i = 0; i < frame.size; ++i) ASSERT_EQ(frame.pixels[i], 0x000000FFu) << i;
    PixelArray empty;
    EXPECT_EQ(empty.getPixels(), nullptr);
    EXPECT_EQ(empty.width | empty.height | empty.size, 0u);

    PixelArray src(4, 4), dst(2, 2);
    for (uint32_t i = 0; i < src.size; ++i) src.pixels[i] = 0x00123456u + i;
    dst.copyFrom(src);  // copies dst.size = 4 words
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(dst.pixels[i], 0x00123456u + i);
}

TEST(PixelArray, OverflowingByteCountFailsInsteadOfAllocatingShort) {
    // 65536 x 65536 words wrap to 0 in 32 bits; 40000 x 40000 x 4 bytes exceeds 32 bits.
    EXPECT_THROW(PixelArray(65536, 65536), std::bad_alloc);
    EXPECT_THROW(PixelArray(40000, 40000), std::bad_alloc);
    EXPECT_THROW(allocateWords(0x40000000u, 1), std::bad_alloc);
}
