#include "effects/generators/GridRenderers.h"

#include <algorithm>
#include <utility>

#include "pixel/Numeric.h"
#include "pixel/PixelOps.h"

namespace {

// 32-bit two's-complement arithmetic without undefined overflow.
inline int32_t wrapAdd(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }
inline int32_t wrapSub(int32_t a, int32_t b) { return int32_t(uint32_t(a) - uint32_t(b)); }
inline int32_t shl16(int32_t v) { return int32_t(uint32_t(v) << 16); }
// a / b truncated towards zero, through a double division: several times cheaper than a 32-bit integer
// one and exact, since a quotient that is not an integer lies at least 1 / |b| from every integer while
// the double's rounding error stays below 2^-22 / |b|.
inline int32_t divide(int32_t a, int32_t b) {
    if (b == 0) return 0;
    if (b == -1) return wrapSub(0, a);  // INT32_MIN / -1 wraps instead of trapping
    return int32_t(double(a) / double(b));
}
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
void span(uint32_t* target, int W, int32_t xa, int32_t xb, int32_t y, int32_t ua, int32_t ub, int32_t va, int32_t vb,
          int32_t ka, int32_t kb, const uint32_t* t) {
    if (xa > xb) std::swap(xa, xb), std::swap(ua, ub), std::swap(va, vb), std::swap(ka, kb);
    if (xa == xb) return;
    const int32_t n = wrapSub(xb, xa);
    const int32_t du = divide(shl16(wrapSub(ub, ua)), n), dv = divide(shl16(wrapSub(vb, va)), n);
    const int32_t dk = divide(shl16(wrapSub(kb >> 16, ka >> 16)), n);
    int32_t u = shl16(ua), v = shl16(va), k = shl16(ka >> 16);
    uint32_t* row = target + size_t(y) * size_t(W);
    for (int32_t x = xa; x < xb; ++x, u = wrapAdd(u, du), v = wrapAdd(v, dv), k = wrapAdd(k, dk)) {
        const uint32_t s = texel(t, u, v);
        const int dark = k >> 16;
        const uint32_t r = uint32_t(std::max(0, int(s >> 16 & 255) - dark));
        const uint32_t g = uint32_t(std::max(0, int(s >> 8 & 255) - dark));
        const uint32_t b = uint32_t(std::max(0, int(s & 255) - dark));
        put<B>(row[x], r << 16 | g << 8 | b);
    }
}

struct Edge {
    int32_t x, u, v, k;     // 16.16
    int32_t dx, du, dv, dk;  // per row
    void start(const ShadedVertex& from, const ShadedVertex& to) {
        x = shl16(from.x), u = shl16(from.u), v = shl16(from.v), k = shl16(from.k);
        const int32_t rows = wrapSub(to.y, from.y);
        dx = divide(shl16(wrapSub(to.x, from.x)), rows);
        du = divide(shl16(wrapSub(to.u, from.u)), rows);
        dv = divide(shl16(wrapSub(to.v, from.v)), rows);
        dk = divide(shl16(wrapSub(to.k, from.k)), rows);
    }
    void step() { x = wrapAdd(x, dx), u = wrapAdd(u, du), v = wrapAdd(v, dv), k = wrapAdd(k, dk); }
};

template <GridBlend B>
void triangle(uint32_t* target, int W, ShadedVertex a, ShadedVertex b, ShadedVertex c, const uint32_t* t) {
    if (a.y > b.y) std::swap(a, b);
    if (a.y > c.y) std::swap(a, c);
    if (b.y > c.y) std::swap(b, c);
    Edge longEdge, shortEdge;
    longEdge.start(a, c);
    auto rows = [&](int32_t from, int32_t to) {
        for (int32_t y = from; y < to; ++y) {
            const Edge& l = longEdge.x < shortEdge.x ? longEdge : shortEdge;
            const Edge& r = longEdge.x < shortEdge.x ? shortEdge : longEdge;
            span<B>(target, W, l.x >> 16, r.x >> 16, y, l.u >> 16, r.u >> 16, l.v >> 16, r.v >> 16, l.k, r.k, t);
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
    switch (blend) {
        case GridBlend::Copy: triangle<GridBlend::Copy>(target, W, a, b, c, t); break;
        case GridBlend::Add: triangle<GridBlend::Add>(target, W, a, b, c, t); break;
        case GridBlend::Subtract: triangle<GridBlend::Subtract>(target, W, a, b, c, t); break;
    }
}

void drawShadedSpan(GridBlend blend, uint32_t* target, int W, int32_t xa, int32_t xb, int32_t y, int32_t ua, int32_t ub,
                    int32_t va, int32_t vb, int32_t ka, int32_t kb, const uint32_t* t) {
    switch (blend) {
        case GridBlend::Copy: span<GridBlend::Copy>(target, W, xa, xb, y, ua, ub, va, vb, ka, kb, t); break;
        case GridBlend::Add: span<GridBlend::Add>(target, W, xa, xb, y, ua, ub, va, vb, ka, kb, t); break;
        case GridBlend::Subtract: span<GridBlend::Subtract>(target, W, xa, xb, y, ua, ub, va, vb, ka, kb, t); break;
    }
}
