#include "effects/generators/FX_Parallax.h"

#include <algorithm>

#include "pixel/Numeric.h"
#include "pixel/PixelOps.h"
#include "pixel/Random.h"

namespace {
// Remainder in 0..m-1 for any sign: the same as C's % for the non-negative offsets of t >= 0.
inline int wrapIndex(int64_t v, int m) { return int(((v % m) + m) % m); }
}  // namespace

FX_Parallax::FX_Parallax(uint32_t width, uint32_t height, uint32_t f)
    : Effect(width, height), flags(f), scratch((f & 2) ? allocateWords(width, height) : nullptr) {}

void FX_Parallax::update() { updateOpacity(); }

void FX_Parallax::render() {
    uint32_t* p = targetFrame->getPixels();
    if (size < kFrameWords) return;
    const double t = time;
    if (flags & 2) copyPixels(scratch.get(), p, int(size));  // the horizontal pass reads the frame as it was
    if (flags & 1) {
        const int k = (flags & 4) ? showRand() % 6 + 1 : 1;
        const int64_t off = truncToInt(double(k) * 500.0 * t);
        // Row r takes row (off + 384 - r) mod 384. The mapping is its own inverse, so the rows trade places
        // in pairs, in place (a row that maps to itself stays): one pass over the frame, not two copies.
        for (int r = 0; r < 384; ++r) {
            const int from = wrapIndex(off + 384 - r, 384);
            if (from > r) std::swap_ranges(p + r * 512, p + r * 512 + 512, p + from * 512);
        }
    }
    if (flags & 2) {
        const uint32_t* s = scratch.get();
        const int k = (flags & 4) ? showRand() % 6 + 1 : 1;
        const int64_t off = truncToInt(t * double(k * 500));
        for (int c = 0; c < 512; ++c) {
            const int sc = wrapIndex(off - c + 511, 512);
            for (int r = 0; r < 384; ++r) p[r * 512 + c] = s[r * 512 + sc];
        }
    }
}
