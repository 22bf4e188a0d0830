// Whole-buffer and single-pixel kernels shared by the effects.
//
// Buffers are raw word storage (PixelArray::getPixels) with a signed word count n; n <= 0 does nothing.
// The saturating operations treat a word as four independent unsigned bytes, the fourth byte included:
// add clamps each byte at 255, subtract at 0. They allocate nothing and check nothing else.
//
// The single-word forms work on four bytes at once in one 32-bit word (SWAR). The whole-buffer kernels
// are compiled for every SIMD target and chosen at run time (simd/); `reference` holds the plain forms
// they are tested against, bit for bit, on every target the machine runs.
#pragma once

#include <cstdint>

#include "pixel/Numeric.h"

#if defined(__GNUC__)
#define SS_RESTRICT __restrict__
#else
#define SS_RESTRICT
#endif

// Byte-wise saturating add and subtract of two words.
inline uint32_t addBytesSaturated(uint32_t a, uint32_t b) {
    const uint32_t low = (a & 0x7F7F7F7Fu) + (b & 0x7F7F7F7Fu);      // no carry crosses a byte
    const uint32_t sum = low ^ ((a ^ b) & 0x80808080u);              // each byte mod 256
    const uint32_t carry = ((a & b) | ((a | b) & ~sum)) & 0x80808080u;  // carry out of each byte
    return sum | ((carry >> 7) * 0xFFu);
}
inline uint32_t subtractBytesSaturated(uint32_t a, uint32_t b) {
    const uint32_t low = (a | 0x80808080u) - (b & 0x7F7F7F7Fu);      // no borrow crosses a byte
    const uint32_t diff = low ^ ((a ^ ~b) & 0x80808080u);            // each byte mod 256
    const uint32_t borrow = ((~a & b) | (~(a ^ b) & diff)) & 0x80808080u;
    return diff & ~((borrow >> 7) * 0xFFu);
}

// Per-channel floor((a + b) / 2) of red, green and blue; the fourth byte becomes 0.
inline uint32_t averagePixels(uint32_t a, uint32_t b) { return ((a & b) & 0x00FFFFFFu) + (((a ^ b) & 0x00FEFEFEu) >> 1); }

inline void addPixelSaturated(uint32_t* dst, int i, uint32_t value) { dst[i] = addBytesSaturated(dst[i], value); }
inline void subtractPixelSaturated(uint32_t* dst, int i, uint32_t value) {
    dst[i] = subtractBytesSaturated(dst[i], value);
}

inline uint32_t redOf(uint32_t pixel) { return (pixel >> 16) & 255u; }
inline uint32_t greenOf(uint32_t pixel) { return (pixel >> 8) & 255u; }
inline uint32_t blueOf(uint32_t pixel) { return pixel & 255u; }

inline bool insideSize(int x, int y, int w, int h) { return x >= 0 && x < w && y >= 0 && y < h; }
inline bool insideRect(int x, int y, int x0, int y0, int x1, int y1) {
    return x >= x0 && x < x1 && y >= y0 && y < y1;
}
inline bool insideRange(int i, int n) { return i >= 0 && i < n; }
// True for a word index of a 512 x 384 frame; negative indices read as huge unsigned values.
inline bool insideFrame(int i) { return uint32_t(i) < kFrameWords; }

void fillPixels(uint32_t* dst, int n, uint32_t value);
void fillFloats(float* dst, int n, float value);
void addColorSaturated(uint32_t* dst, int n, uint32_t value);
void subtractColorSaturated(uint32_t* dst, int n, uint32_t value);
void copyPixels(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n);
void addPixelsSaturated(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n);
void subtractPixelsSaturated(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n);
// Opacity blend of `n` same-size words: target weight min(255, 512 - alpha - opacity), source weight
// 255 - that; red and blue in one product, green in another; the fourth byte becomes 0.
void blendByOpacity(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n, int opacity);
// dst[at + i] = averagePixels(dst[at + i], src[from + i]) for i < n, for each (at, from, n) of `count`
// triples in order; a run's words must not overlap the source words it reads.
void averageRuns(uint32_t* dst, const uint32_t* src, const int32_t* runs, int count);
// The same averaging over a whole row whose column c reads the source row's word source[c] (< 0: left
// alone). planColumnSources turns the W sources into a plan of 3 W + 128 words or fewer, or returns false
// (some N neighbouring columns read words more than N apart, N the vector's lanes); averageByPlan applies
// it, or returns false without writing when the plan was made for another vector size.
bool planColumnSources(const int32_t* source, int W, int32_t* plan);
bool averageByPlan(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, const int32_t* plan, int W);

// A byte map of the colour channels that is a clipped line between two runs: c <= zeroUpTo gives 0,
// c >= fullFrom gives 255, any other c clamp((c * multiplier + bias) >> shift, 0, 255) in 32-bit
// arithmetic. fitChannelLine finds one of about the given slope (the table's rise per step, > 0) that
// equals a 256-entry table at every entry, or returns false (the caller then maps through the table).
struct ChannelLine {
    int32_t multiplier = 0, bias = 0;
    int shift = 0;
    int zeroUpTo = -1, fullFrom = 256;
    uint8_t operator()(int c) const {
        if (c <= zeroUpTo) return 0;
        if (c >= fullFrom) return 255;
        const int32_t v = (c * multiplier + bias) >> shift;
        return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    }
};
bool fitChannelLine(const uint8_t table[256], double slope, ChannelLine& line);

// Red, green and blue through the line; the fourth byte becomes 0.
void mapChannelsByLine(uint32_t* dst, int n, const ChannelLine& line);
// dst[i] plus or minus src[i] with its colour channels through the line (its fourth byte taken as 0),
// byte-saturated.
void addMappedPixels(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n, const ChannelLine& line);
void subtractMappedPixels(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n, const ChannelLine& line);
// Red, green and blue become |level - c|; the fourth byte is kept.
void distanceFromLevel(uint32_t* dst, int n, uint8_t level);

namespace reference {
// Red, green and blue through the table; the fourth byte kept or cleared.
void mapChannels(uint32_t* dst, int n, const uint8_t table[256], bool keepFourthByte);
// One byte at a time: min(255, a + b) and max(0, a - b) for each of the four bytes.
uint32_t addBytesSaturated(uint32_t a, uint32_t b);
uint32_t subtractBytesSaturated(uint32_t a, uint32_t b);
void blendByOpacity(uint32_t* dst, const uint32_t* src, int n, int opacity);
}  // namespace reference
