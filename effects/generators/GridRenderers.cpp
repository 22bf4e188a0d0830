#include "effects/generators/GridRenderers.h"

#include <algorithm>
#include <utility>

#include "pixel/Numeric.h"
#include "pixel/PixelOps.h"
#include "simd/GridKernels.h"

namespace {

// 32-bit two's-complement arithmetic without undefined overflow.
inline int32_t wrapAdd(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }
inline int32_t wrapSub(int32_t a, int32_t b) { return int32_t(uint32_t(a) - uint32_t(b)); }
inline int32_t shl16(int32_t v) { return int32_t(uint32_t(v) << 16); }
inline uint32_t texel(const uint32_t* t, int32_t u, int32_t v) {
    return t[(uint32_t(v >> 16) & 255u) * 256u + (uint32_t(u >> 16) & 255u)];
}

template <GridBlend B>
inline void put(uint32_t& d, uint32_t s) {
    if constexpr (B == GridBlend::Copy) d = s;
    if constexpr (B == GridBlend::Add) d = addBytesSaturated(d, s);
    if constexpr (B == GridBlend::Subtract) d = subtractBytesSaturated(d, s);
}

template <GridBlend B>
void block(uint32_t* target, int W, int x, int y, float Au, float Av, float Bu, float Bv, float Cu, float Cv,
           float Du, float Dv, const uint32_t* t) {
    auto fix = [](double v) { return truncToInt(v * 65536.0); };
    int32_t uL = fix(Au), vL = fix(Av), uR = fix(Bu), vR = fix(Bv);
    const int32_t duL = fix(double(Cu) - Au) >> 3, dvL = fix(double(Cv) - Av) >> 3;
    const int32_t duR = fix(double(Du) - Bu) >> 3, dvR = fix(double(Dv) - Bv) >> 3;
    for (int r = 0; r < 8; ++r) {
        const int32_t du = wrapSub(uR, uL) >> 3, dv = wrapSub(vR, vL) >> 3;
        int32_t u = uL, v = vL;
        uint32_t* row = target + size_t(y + r) * size_t(W) + size_t(x);
        for (int c = 0; c < 8; ++c, u = wrapAdd(u, du), v = wrapAdd(v, dv)) put<B>(row[c], texel(t, u, v));
        uL = wrapAdd(uL, duL), vL = wrapAdd(vL, dvL), uR = wrapAdd(uR, duR), vR = wrapAdd(vR, dvR);
    }
}

template <GridBlend B>
void run(uint32_t* row, int n, ShadedSteps s, const uint32_t* t) {
    for (int x = 0; x < n; ++x, s.u = wrapAdd(s.u, s.du), s.v = wrapAdd(s.v, s.dv), s.k = wrapAdd(s.k, s.dk)) {
        const uint32_t texelValue = texel(t, s.u, s.v);
        const int dark = s.k >> 16;
        const uint32_t r = uint32_t(std::max(0, int(texelValue >> 16 & 255) - dark));
        const uint32_t g = uint32_t(std::max(0, int(texelValue >> 8 & 255) - dark));
        const uint32_t b = uint32_t(std::max(0, int(texelValue & 255) - dark));
        put<B>(row[x], r << 16 | g << 8 | b);
    }
}

// One row of a shaded triangle: n > 0 pixels from (x, y), its start values and the numerators of its
// steps (each step is numerator / n, truncated).
struct ShadedSpan {
    int32_t x, y, n;
    int32_t u, v, k;
    int32_t nu, nv, nk;
};

// The row from (xa, y) to (xb, y), ends in either order, before its steps are divided out; false when it
// is empty.
bool makeSpan(ShadedSpan& s, int32_t xa, int32_t xb, int32_t y, int32_t ua, int32_t ub, int32_t va, int32_t vb,
              int32_t ka, int32_t kb) {
    if (xa > xb) std::swap(xa, xb), std::swap(ua, ub), std::swap(va, vb), std::swap(ka, kb);
    if (xa == xb) return false;
    s.x = xa, s.y = y, s.n = wrapSub(xb, xa);
    s.u = shl16(ua), s.v = shl16(va), s.k = shl16(ka >> 16);
    s.nu = shl16(wrapSub(ub, ua)), s.nv = shl16(wrapSub(vb, va)), s.nk = shl16(wrapSub(kb >> 16, ka >> 16));
    return true;
}

void drawSpan(GridBlend blend, uint32_t* target, int W, const ShadedSpan& s, const uint32_t* t) {
    const ShadedSteps steps{s.u, s.v, s.k, truncatedQuotient(s.nu, s.n), truncatedQuotient(s.nv, s.n),
                            truncatedQuotient(s.nk, s.n)};
    // The rest of the row from x may be read and written back by whole vectors.
    shadedRun(blend, target + size_t(s.y) * size_t(W) + size_t(s.x), s.n, std::max(int(s.n), W - s.x), steps, t);
}

struct Edge {
    int32_t x, u, v, k;     // 16.16
    int32_t dx, du, dv, dk;  // per row
    void start(const ShadedVertex& from, const ShadedVertex& to) {
        x = shl16(from.x), u = shl16(from.u), v = shl16(from.v), k = shl16(from.k);
        const int32_t rows = wrapSub(to.y, from.y);
        dx = truncatedQuotient(shl16(wrapSub(to.x, from.x)), rows);
        du = truncatedQuotient(shl16(wrapSub(to.u, from.u)), rows);
        dv = truncatedQuotient(shl16(wrapSub(to.v, from.v)), rows);
        dk = truncatedQuotient(shl16(wrapSub(to.k, from.k)), rows);
    }
    void step() { x = wrapAdd(x, dx), u = wrapAdd(u, du), v = wrapAdd(v, dv), k = wrapAdd(k, dk); }
};

// Calls emit(span) for every non-empty row of the triangle, top to bottom.
template <class Emit>
void triangleSpans(ShadedVertex a, ShadedVertex b, ShadedVertex c, Emit emit) {
    if (a.y > b.y) std::swap(a, b);
    if (a.y > c.y) std::swap(a, c);
    if (b.y > c.y) std::swap(b, c);
    Edge longEdge, shortEdge;
    longEdge.start(a, c);
    auto rows = [&](int32_t from, int32_t to) {
        for (int32_t y = from; y < to; ++y) {
            const Edge& l = longEdge.x < shortEdge.x ? longEdge : shortEdge;
            const Edge& r = longEdge.x < shortEdge.x ? shortEdge : longEdge;
            ShadedSpan s;
            if (makeSpan(s, l.x >> 16, r.x >> 16, y, l.u >> 16, r.u >> 16, l.v >> 16, r.v >> 16, l.k, r.k)) emit(s);
            longEdge.step();
            shortEdge.step();
        }
    };
    shortEdge.start(a, b);
    rows(a.y, b.y);
    shortEdge.start(b, c);
    rows(b.y, c.y);
}

}  // namespace

void drawGridBlock(GridBlend blend, uint32_t* target, int W, int x, int y, float Au, float Av, float Bu, float Bv,
                   float Cu, float Cv, float Du, float Dv, const uint32_t* t) {
    switch (blend) {
        case GridBlend::Copy: block<GridBlend::Copy>(target, W, x, y, Au, Av, Bu, Bv, Cu, Cv, Du, Dv, t); break;
        case GridBlend::Add: block<GridBlend::Add>(target, W, x, y, Au, Av, Bu, Bv, Cu, Cv, Du, Dv, t); break;
        case GridBlend::Subtract: block<GridBlend::Subtract>(target, W, x, y, Au, Av, Bu, Bv, Cu, Cv, Du, Dv, t); break;
    }
}

void drawShadedTriangle(GridBlend blend, uint32_t* target, int W, ShadedVertex a, ShadedVertex b, ShadedVertex c,
                        const uint32_t* t) {
    triangleSpans(a, b, c, [&](const ShadedSpan& s) { drawSpan(blend, target, W, s, t); });
}

void reference::shadedRun(GridBlend blend, uint32_t* row, int n, const ShadedSteps& steps, const uint32_t* t) {
    switch (blend) {
        case GridBlend::Copy: run<GridBlend::Copy>(row, n, steps, t); break;
        case GridBlend::Add: run<GridBlend::Add>(row, n, steps, t); break;
        case GridBlend::Subtract: run<GridBlend::Subtract>(row, n, steps, t); break;
    }
}

void drawShadedSpan(GridBlend blend, uint32_t* target, int W, int32_t xa, int32_t xb, int32_t y, int32_t ua, int32_t ub,
                    int32_t va, int32_t vb, int32_t ka, int32_t kb, const uint32_t* t) {
    ShadedSpan s;
    if (makeSpan(s, xa, xb, y, ua, ub, va, vb, ka, kb)) drawSpan(blend, target, W, s, t);
}
