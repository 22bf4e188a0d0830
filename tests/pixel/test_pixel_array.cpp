#include <gtest/gtest.h>

#include <new>

#include "pixel/PixelArray.h"

TEST(PixelArray, NewArrayIsBlueAndEmptyArrayHoldsNothing) {
    PixelArray frame(512, 384);
    ASSERT_EQ(frame.size, 196608u);
    for (uint32_t i = 0; i < frame.size; ++i) ASSERT_EQ(frame.pixels[i], 0x000000FFu) << i;

    PixelArray empty;
    EXPECT_EQ(empty.getPixels(), nullptr);
    EXPECT_EQ(empty.width | empty.height | empty.size, 0u);
}

TEST(PixelArray, CreateSizesAndReturnsTheStorage) {
    PixelArray a;
    uint32_t* p = a.create(7, 3);
    EXPECT_EQ(p, a.getPixels());
    EXPECT_EQ(a.width, 7u);
    EXPECT_EQ(a.height, 3u);
    EXPECT_EQ(a.size, 21u);
}

TEST(PixelArray, FillAndCopyUseThisArraysCount) {
    PixelArray src(4, 4), dst(2, 2);
    src.fill(0x00123456);
    for (uint32_t i = 0; i < src.size; ++i) src.pixels[i] += i;
    dst.copyFrom(src);  // copies dst.size = 4 words
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(dst.pixels[i], 0x00123456u + i);
}

TEST(PixelArray, OverflowingByteCountFailsInsteadOfAllocatingShort) {
    // 65536 x 65536 words wrap to 0 in 32 bits; 40000 x 40000 x 4 bytes exceeds 32 bits.
    EXPECT_THROW(PixelArray(65536, 65536), std::bad_alloc);
    EXPECT_THROW(PixelArray(40000, 40000), std::bad_alloc);
    EXPECT_THROW(allocateWords(0x40000000u, 1), std::bad_alloc);
}
