#include "effects/filters/FX_MotionBlur.h"

#include <algorithm>

#include "pixel/PixelOps.h"

FX_MotionBlur::FX_MotionBlur(uint32_t width, uint32_t height, int p)
    : Effect(width, height), history(new uint32_t[size]()), passes(p) {}

void FX_MotionBlur::render() { motionBlur(targetFrame->getPixels(), int(size), history.get(), passes); }

// One pass over memory: the buffers are taken a chunk that stays in the first-level cache at a time, the
// k halvings run over the chunk, then the chunk is copied to the history. Words do not depend on one
// another, so this equals k whole-buffer passes and a copy; each inner loop packs into vector code.
void motionBlur(uint32_t* SS_RESTRICT P, int n, uint32_t* SS_RESTRICT h, int k) {
    constexpr int kChunk = 1024;
    for (int start = 0; start < n; start += kChunk) {
        const int count = std::min(kChunk, n - start);
        uint32_t* SS_RESTRICT p = P + start;
        uint32_t* SS_RESTRICT q = h + start;
        for (int pass = 0; pass < k; ++pass)
            for (int i = 0; i < count; ++i) p[i] = ((p[i] & 0x00FEFEFEu) + (q[i] & 0x00FEFEFEu)) >> 1;
        copyPixels(q, p, count);
    }
}
