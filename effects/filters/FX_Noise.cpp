#include "effects/filters/FX_Noise.h"

#include <algorithm>
#include <cmath>

#include "pixel/Numeric.h"
#include "pixel/PixelOps.h"
#include "pixel/Random.h"

namespace {

inline uint32_t grey(int g) { return uint32_t(g) * 0x010101u; }

// rand() mod m with the C remainder; an empty range (m == 0) yields 0 without drawing.
inline int randMod(int m) { return m == 0 ? 0 : showRand() % m; }

// Greyscale scratches and lines, drawn through the blend mode chosen once per render.
template <int Mode>
inline void put(uint32_t* p, int i, uint32_t v) {
    if constexpr (Mode == 0) p[i] = v;
    if constexpr (Mode == 1) addPixelSaturated(p, i, v);
    if constexpr (Mode == 2) subtractPixelSaturated(p, i, v);
}

template <int Mode>
void scratchesAndLines(const FX_Noise& fx, uint32_t* p, double t) {
    const int W = int(fx.width), H = int(fx.height), n = int(fx.size);
    for (int k = 0; k < 20 && (fx.flags & 0x10); ++k) {
        const FX_Noise::Streak& s = fx.streaks[k];
        const int x = truncToInt(double(k) * t * 4.0 + double(s.offset)) % 512;
        const int m = (truncToInt(double(s.offset) * double(s.rate)) & 255) + 1;
        for (int y = 0; y < H; ++y) {
            const int64_t i = int64_t(y) * W + x;
            const int g = showRand() % m;
            if (i >= 0 && i < n) put<Mode>(p, int(i), grey(g));
        }
    }
    for (int k = 0; k < 20 && (fx.flags & 0x20); ++k) {
        const FX_Noise::Streak& s = fx.streaks[k];
        const int m = (truncToInt(double(s.offset) * double(s.rate)) & 255) + 1;
        const int row = 383 - truncToInt(double(k) * t * 4.0 + double(s.offset)) % 384;
        for (int x = 0; x < W; ++x) {
            const int64_t i = int64_t(row) * W + x;
            const int g = showRand() % m;
            if (i >= 0 && i < n) put<Mode>(p, int(i), grey(g));
        }
    }
}

}  // namespace

FX_Noise::FX_Noise(uint32_t width, uint32_t height, int f)
    : Effect(width, height), scratch(allocateWords(width, height)), flags(f) {
    blendMode = -1;
    for (Streak& s : streaks) {
        s.offset = width ? int(uint32_t(showRand()) % width) : 0;
        s.rate = float(double(showRand() % 50) * 0.10000000149011612 - 2.0);
    }
}

void FX_Noise::update() {
    updateOpacity();
    applySegments(amountSegments, time, [&](int v) { setAmount(v); });
}

void FX_Noise::render() {
    uint32_t* p = targetFrame->getPixels();
    const int W = int(width), H = int(height), n = int(size);
    const double t = time;
    // Bands and swaps work on the 512 x 384 layout: they run on any effect whose storage holds it.
    const bool frame512 = size >= kFrameWords;

    if (flags & 0x30) {
        switch (blendMode) {
            case 0: scratchesAndLines<0>(*this, p, t); break;
            case 1: scratchesAndLines<1>(*this, p, t); break;
            case 2: scratchesAndLines<2>(*this, p, t); break;
            default: scratchesAndLines<-1>(*this, p, t); break;  // draws the numbers, writes nothing
        }
    }

    if (flags & 0x01) {
        const int cR = int(redOf(packed)), cG = int(greenOf(packed)), cB = int(blueOf(packed));
        for (int i = n - 1; i >= 0; --i) {
            const int v = randMod(amount);
            const uint32_t w = p[i];
            const int r = std::min(255, int(redOf(w)) + (v & cR));
            const int g = std::min(255, int(greenOf(w)) + (v & cG));
            const int b = std::min(255, int(blueOf(w)) + (v & cB));
            p[i] = uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
        }
    }

    const int64_t R = radius;
    const int span = int(std::clamp<int64_t>(2 * R + 1, INT32_MIN, INT32_MAX));
    auto at = [&](int64_t y, int64_t x) -> uint32_t& { return p[y * W + x]; };
    if (flags & 0x02) {
        for (int y = 0; y < H - 1; ++y)
            for (int x = 0; x < W - 1; ++x) {
                const int64_t sx = std::max<int64_t>(0, x - randMod(span) + R);
                if (sx < W) at(y, x) = at(y, sx);
            }
    }
    if (flags & 0x04) {
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const int64_t sy = y - randMod(span) + R;
                if (sy >= 0 && sy < H) at(y, x) = at(sy, x);
            }
    }
    if (flags & 0x08) {
        for (int y = 0; y < H - 1; ++y)
            for (int x = 0; x < W - 1; ++x) {
                const int64_t sx = x - randMod(span) + R;
                const int64_t sy = y - randMod(span) + R;
                if (sx >= 0 && sx < W && sy >= 0 && sy < H) at(y, x) = at(sy, sx);
            }
    }

    if (!frame512) return;
    if (flags & 0x40) {
        const double a = double(float(std::sin(double(float(t * 8.0)))));
        for (int k = 0; k < 48; ++k) {
            const int shift = truncToInt((a * 32.0 + 33.0) * (double(streaks[k].offset) * 0.001953125));
            if (shift <= 0) continue;  // offset 0: the band stays
            for (int y = 8 * k; y < 8 * k + 8; ++y) {
                uint32_t* row = p + y * 512;
                for (int x = 0; x + shift < 512; ++x) row[x] = row[x + shift];
            }
        }
    }
    const int half = int((int64_t(amount) + 2) / 2);
    const int range = int(std::clamp<int64_t>(int64_t(amount) + 1, INT32_MIN, INT32_MAX));
    if (flags & 0x80) {
        copyPixels(scratch.get(), p, n);
        for (int x = 0; x < 512; ++x) {
            int sx = int((int64_t(randMod(range)) + x - half) % 512);
            if (sx < 0) sx = 0;
            for (int y = 0; y < 384; ++y) p[y * 512 + x] = scratch[size_t(y) * 512 + size_t(sx)];
        }
    }
    if (flags & 0x100) {
        copyPixels(scratch.get(), p, n);
        for (int y = 0; y < 384; ++y) {
            const int sy = int(std::clamp<int64_t>((int64_t(randMod(range)) + y - half) % 384, 0, 383));
            copyPixels(p + y * 512, scratch.get() + size_t(sy) * 512, 512);
        }
    }
}
