#include "effects/generators/FX_Parallax.h"

#include "pixel/Numeric.h"
#include "pixel/PixelOps.h"
#include "pixel/Random.h"

namespace {
// Remainder in 0..m-1 for any sign: the same as C's % for the non-negative offsets of t >= 0.
inline int wrapIndex(int64_t v, int m) { return int(((v % m) + m) % m); }
}  // namespace

FX_Parallax::FX_Parallax(uint32_t width, uint32_t height, uint32_t f)
    : Effect(width, height), flags(f), scratch(allocateWords(width, height)) {}

void FX_Parallax::update() { updateOpacity(); }

void FX_Parallax::render() {
    uint32_t* p = targetFrame->getPixels();
    copyPixels(scratch.get(), p, int(size));
    if (size < kFrameWords) return;
    const double t = time;
    const uint32_t* s = scratch.get();
    if (flags & 1) {
        const int k = (flags & 4) ? showRand() % 6 + 1 : 1;
        const int64_t off = truncToInt(double(k) * 500.0 * t);
        for (int r = 0; r < 384; ++r) copyPixels(p + r * 512, s + wrapIndex(off + 384 - r, 384) * 512, 512);
    }
    if (flags & 2) {
        const int k = (flags & 4) ? showRand() % 6 + 1 : 1;
        const int64_t off = truncToInt(t * double(k * 500));
        for (int c = 0; c < 512; ++c) {
            const int sc = wrapIndex(off - c + 511, 512);
            for (int r = 0; r < 384; ++r) p[r * 512 + c] = s[r * 512 + sc];
        }
    }
}
