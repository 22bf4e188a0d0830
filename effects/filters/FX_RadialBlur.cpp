#include "effects/filters/FX_RadialBlur.h"

#include "pixel/Numeric.h"

namespace {

// Per-channel floor((a + b) / 2) of red, green and blue; the fourth byte becomes 0.
inline uint32_t average(uint32_t a, uint32_t b) { return ((a & b) & 0x00FFFFFFu) + (((a ^ b) & 0x00FEFEFEu) >> 1); }

}  // namespace

FX_RadialBlur::FX_RadialBlur(uint32_t width, uint32_t height, int, float s) : Effect(width, height), strength(s) {
    blendMode = -1;
}

void FX_RadialBlur::update() { updateOpacity(); }

void FX_RadialBlur::render() {
    const int W = int(width), H = int(height);
    const int hw = W / 2, hh = H / 2;
    uint32_t* p = targetFrame->getPixels();
    auto at = [&](int y, int x) -> uint32_t& { return p[size_t(y) * size_t(W) + size_t(x)]; };
    auto inside = [](int64_t v, int n) { return v >= 0 && v < n; };
    for (int y = hh - 1; y >= 1; --y) {
        const int dy = truncToInt(float(float(y - hh) * strength));  // <= 0
        // A strength outside 0..1 would sample outside the frame: such pixels are left alone.
        if (!inside(int64_t(y) - dy, H) || !inside(int64_t(H) - 1 - y + dy, H)) continue;
        for (int x = hw; x <= W - 2; ++x) {
            const int dx = truncToInt(float(float(x + 1 - hw) * strength));  // >= 0
            if (!inside(int64_t(x) - dx, W) || !inside(int64_t(W) - 1 - x + dx, W)) continue;
            at(y, x) = average(at(y, x), at(y - dy, x - dx));
            at(y, W - 1 - x) = average(at(y, W - 1 - x), at(y - dy, W - 1 - x + dx));
            at(H - 1 - y, W - 1 - x) = average(at(H - 1 - y, W - 1 - x), at(H - 1 - y + dy, W - 1 - x + dx));
            at(H - 1 - y, x) = average(at(H - 1 - y, x), at(H - 1 - y + dy, x - dx));
        }
    }
}
