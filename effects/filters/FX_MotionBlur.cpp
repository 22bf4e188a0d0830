#include "effects/filters/FX_MotionBlur.h"

#include <algorithm>

#include "pixel/PixelOps.h"

FX_MotionBlur::FX_MotionBlur(uint32_t width, uint32_t height, int p)
    : Effect(width, height), history(new uint32_t[size]()), passes(p) {}

void FX_MotionBlur::render() { motionBlur(targetFrame->getPixels(), int(size), history.get(), passes); }

namespace {
// K halvings fused into one sweep that writes both buffers.
template <int K>
void fusedPasses(uint32_t* SS_RESTRICT P, int n, uint32_t* SS_RESTRICT h) {
    for (int i = 0; i < n; ++i) {
        const uint32_t old = h[i] & 0x00FEFEFEu;
        uint32_t p = P[i];
        for (int pass = 0; pass < K; ++pass) p = ((p & 0x00FEFEFEu) + old) >> 1;
        P[i] = p;
        h[i] = p;
    }
}
}  // namespace

// One pass over memory. Words do not depend on one another, so taking each word through its k halvings
// in turn equals k whole-buffer passes and a copy. The usual counts are fused into one loop; others run
// the passes a chunk that stays in the first-level cache at a time.
void motionBlur(uint32_t* SS_RESTRICT P, int n, uint32_t* SS_RESTRICT h, int k) {
    switch (k) {
        case 1: fusedPasses<1>(P, n, h); return;
        case 2: fusedPasses<2>(P, n, h); return;
        case 3: fusedPasses<3>(P, n, h); return;
        default: break;
    }
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
