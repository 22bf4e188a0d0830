#include "pixel/PixelOps.h"

void fillPixels(uint32_t* dst, int n, uint32_t value) {
    for (int i = 0; i < n; ++i) dst[i] = value;
}

void addColorSaturated(uint32_t* dst, int n, uint32_t value) {
    for (int i = 0; i < n; ++i) dst[i] = addBytesSaturated(dst[i], value);
}

void subtractColorSaturated(uint32_t* dst, int n, uint32_t value) {
    for (int i = 0; i < n; ++i) dst[i] = subtractBytesSaturated(dst[i], value);
}

void copyPixels(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n) {
    for (int i = 0; i < n; ++i) dst[i] = src[i];
}

void addPixelsSaturated(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n) {
    for (int i = 0; i < n; ++i) dst[i] = addBytesSaturated(dst[i], src[i]);
}

void subtractPixelsSaturated(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n) {
    for (int i = 0; i < n; ++i) dst[i] = subtractBytesSaturated(dst[i], src[i]);
}

namespace reference {

uint32_t addBytesSaturated(uint32_t a, uint32_t b) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t s = ((a >> shift) & 255u) + ((b >> shift) & 255u);
        out |= (s > 255u ? 255u : s) << shift;
    }
    return out;
}

uint32_t subtractBytesSaturated(uint32_t a, uint32_t b) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int d = int((a >> shift) & 255u) - int((b >> shift) & 255u);
        out |= uint32_t(d < 0 ? 0 : d) << shift;
    }
    return out;
}

}  // namespace reference
