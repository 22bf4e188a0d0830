#include <gtest/gtest.h>

#include <new>

#include "pixel/PixelArray.h"

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
