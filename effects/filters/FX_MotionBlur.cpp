#include "effects/filters/FX_MotionBlur.h"

#include <algorithm>

#include "pixel/PixelOps.h"

FX_MotionBlur::FX_MotionBlur(uint32_t width, uint32_t height, int p)
    : Effect(width, height), history(new uint32_t[size]()), passes(p) {}

void FX_MotionBlur::render() { motionBlur(targetFrame->getPixels(), int(size), history.get(), passes); }

void motionBlur(uint32_t* SS_RESTRICT P, int n, uint32_t* SS_RESTRICT h, int k) {
    for (int pass = 0; pass < k; ++pass)
        for (int i = 0; i < n; ++i) P[i] = ((P[i] & 0x00FEFEFEu) + (h[i] & 0x00FEFEFEu)) >> 1;
    copyPixels(h, P, n);
}
