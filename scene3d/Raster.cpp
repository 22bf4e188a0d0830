#include "scene3d/Raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "pixel/Numeric.h"
#include "scene3d/DepthBuffer.h"
#include "scene3d/Span.h"
#include "simd/SpanKernels.h"

EdgeEntry leftEdge[kEdgeRoom];
EdgeEntry rightEdge[kEdgeRoom];

namespace {

bool finite(const RasterCorner& c) {
    return std::isfinite(c.sx) && std::isfinite(c.sy) && std::isfinite(c.z) && std::isfinite(c.u) &&
           std::isfinite(c.v);
}

// Rows of a triangle whose edges are in the tables; false when there is nothing to draw. Only the rows
// the fill will read are reset: rows an edge writes outside them are never read by this triangle.
bool setUpTriangle(const RasterCorner corners[3], int& firstRow, int& endRow) {
    for (int i = 0; i < 3; ++i)
        if (!finite(corners[i])) return false;
    // Sorted by sy, corners of equal sy in their given order (an insertion sort is stable, and unlike
    // std::stable_sort never asks for a buffer).
    const RasterCorner* c[3] = {&corners[0], &corners[1], &corners[2]};
    if (c[1]->sy < c[0]->sy) std::swap(c[0], c[1]);
    if (c[2]->sy < c[1]->sy) {
        std::swap(c[1], c[2]);
        if (c[1]->sy < c[0]->sy) std::swap(c[0], c[1]);
    }
    const int64_t top = truncToInt(double(c[0]->sy)), bottom = truncToInt(double(c[2]->sy));
    if (top >= bottom) return false;
    firstRow = int(std::max<int64_t>(top, 0));
    endRow = int(std::min<int64_t>(bottom, kRasterRows));
    if (firstRow >= endRow) return false;
    for (int r = firstRow; r < endRow; ++r) leftEdge[r].x = 512.0f, rightEdge[r].x = 0.0f;
    EdgeCorner e[3];
    for (int i = 0; i < 3; ++i) e[i] = edgeCorner(*c[i]);
    walkEdge(leftEdge, rightEdge, e[0], e[1]);
    walkEdge(leftEdge, rightEdge, e[0], e[2]);
    walkEdge(leftEdge, rightEdge, e[1], e[2]);
    return true;
}

// Fills the spanned rows one fragment at a time; Shade(w, uw, vw) returns the colour of a fragment that
// passed the test.
template <class Shade>
void fillSpans(uint32_t* pixels, int width, int height, int firstRow, int endRow, bool perspective, Shade shade) {
    endRow = std::min(endRow, height);
    markDepthRows(firstRow, endRow);
    for (int y = firstRow; y < endRow; ++y) {
        const RowSpan s = rowSpan(leftEdge[y], rightEdge[y], perspective, std::min(width, kDepthBufferWidth));
        float w = s.w, uw = s.uw, vw = s.vw;
        for (int64_t x = s.x; x <= s.last; ++x, w += s.dw, uw += s.du, vw += s.dv) {
            float& depth = depthBuffer[y * kDepthBufferWidth + int(x)];
            if (depth > w) {
                pixels[size_t(y) * size_t(width) + size_t(x)] = shade(w, uw, vw);
                depth = w;
            }
        }
    }
}

// A triangle less than 7 pixels wide: its spans hold at most 8 fragments, and the lanes' set-up per row
// costs more than it saves there (on bench_3d's torus, walking these: 5% fewer instructions).
bool narrow(const RasterCorner c[3]) {
    const float lo = std::min({c[0].sx, c[1].sx, c[2].sx}), hi = std::max({c[0].sx, c[1].sx, c[2].sx});
    return hi - lo < 7.0f;
}

// log2 of a power of two from 1 to 2^15, else -1.
int powerOfTwoLog(int n) {
    if (n < 1 || n > 1 << 15 || (n & (n - 1)) != 0) return -1;
    return __builtin_ctz(unsigned(n));
}

}  // namespace

void walkEdge(EdgeEntry* left, EdgeEntry* right, const EdgeCorner& from, const EdgeCorner& to) {
    // Differences and quotients in double, each step rounded once where it is kept.
    const double dy = double(to.sy) - from.sy;
    const float slope = float((double(to.sx) - from.sx) / dy);
    const float dw = float((to.w - from.w) / dy);
    const float du = float((to.uw - from.uw) / dy);
    const float dv = float((to.vw - from.vw) / dy);
    if (!std::isfinite(dy) || !std::isfinite(slope) || !std::isfinite(dw) || !std::isfinite(du) || !std::isfinite(dv))
        return;  // a horizontal edge (dy 0) or a corner at z = 0 adds nothing
    const int64_t first = truncToInt(double(from.sy));
    const int64_t last = truncToInt(dy + double(first));
    if (first > last) return;
    float x = from.sx, w = float(from.w), uw = float(from.uw), vw = float(from.vw);
    int64_t r = first;
    if (r < 0) {  // rows above the target are walked without recording
        x = accumulateSteps(x, slope, -r), w = accumulateSteps(w, dw, -r);
        uw = accumulateSteps(uw, du, -r), vw = accumulateSteps(vw, dv, -r);
        r = 0;
    }
    const int64_t end = std::min<int64_t>(last, kRasterRows - 1);
    // The four running sums side by side: a vector addition is the four float additions.
    typedef float Sums __attribute__((vector_size(16)));
    Sums v = {x, w, uw, vw};
    const Sums step = {slope, dw, du, dv};
    static_assert(sizeof(Sums) == sizeof(EdgeEntry), "an entry is the four sums");
    for (; r <= end; ++r, v += step) {
        if (left[r].x > v[0]) std::memcpy(&left[r], &v, sizeof v);
        if (right[r].x < v[0]) std::memcpy(&right[r], &v, sizeof v);
    }
}

namespace reference {

void fillFlat(uint32_t* pixels, int width, int height, const RasterCorner corners[3], uint32_t color) {
    int first, end;
    if (!setUpTriangle(corners, first, end)) return;
    fillSpans(pixels, width, height, first, end, false, [color](float, float, float) { return color; });
}

void fillTextured(uint32_t* pixels, int width, int height, const RasterCorner corners[3], const uint32_t* texels,
                  int tw, int th) {
    if (!texels || tw <= 0 || th <= 0) return;
    int first, end;
    if (!setUpTriangle(corners, first, end)) return;
    const uint32_t maskU = uint32_t(tw - 1), maskV = uint32_t(th - 1);
    const double width64 = tw, height64 = th;  // converted once, not per fragment
    const size_t stride = size_t(tw);
    fillSpans(pixels, width, height, first, end, true, [=](float w, float uw, float vw) {
        const float z = 1.0f / w;
        const float u = uw * z, v = vw * z;
        const uint32_t row = uint32_t(truncToInt(double(v) * height64)) & maskV;
        const uint32_t col = uint32_t(truncToInt(double(u) * width64)) & maskU;
        return texels[size_t(row) * stride + col];
    });
}

}  // namespace reference

void fillFlat(uint32_t* pixels, int width, int height, const RasterCorner corners[3], uint32_t color) {
    int first, end;
    if (!setUpTriangle(corners, first, end)) return;
    if (narrow(corners)) {
        fillSpans(pixels, width, height, first, end, false, [color](float, float, float) { return color; });
        return;
    }
    end = std::min(end, height);
    markDepthRows(first, end);
    fillFlatRows(pixels, width, first, end, color);
}

void fillWhite(uint32_t* pixels, int width, int height, const RasterCorner corners[3]) {
    fillFlat(pixels, width, height, corners, 0x00FFFFFFu);
}

void fillTextured(uint32_t* pixels, int width, int height, const RasterCorner corners[3], const uint32_t* texels,
                  int tw, int th) {
    const int logWidth = powerOfTwoLog(tw), logHeight = powerOfTwoLog(th);
    if (logWidth < 0 || logHeight < 0 || !texels) {  // other sizes wrap by a mask that is not a modulo
        reference::fillTextured(pixels, width, height, corners, texels, tw, th);
        return;
    }
    int first, end;
    if (!setUpTriangle(corners, first, end)) return;
    if (narrow(corners)) {
        const PowerOfTwoTexture texture(texels, logWidth, logHeight);
        fillSpans(pixels, width, height, first, end, true,
                  [&texture](float w, float uw, float vw) { return texture.texel(w, uw, vw); });
        return;
    }
    end = std::min(end, height);
    markDepthRows(first, end);
    fillTexturedRows(pixels, width, first, end, texels, logWidth, logHeight);
}

void drawLine(uint32_t* pixels, float x0, float y0, float x1, float y1, int width, int height, uint32_t color) {
    auto clampCoordinate = [](float v, int limit) {
        if (!(v >= 0.0f)) return 0.0f;  // negative or NaN
        return v >= float(limit) ? float(limit - 1) : v;
    };
    x0 = clampCoordinate(x0, width), x1 = clampCoordinate(x1, width);
    y0 = clampCoordinate(y0, height), y1 = clampCoordinate(y1, height);
    const double dx = double(x1) - x0, dy = double(y1) - y0;
    if (dx == 0.0 && dy == 0.0) return;

    const int cr = int(color >> 16 & 255), cg = int(color >> 8 & 255), cb = int(color & 255);
    const bool steep = std::fabs(dy) >= std::fabs(dx);  // the major axis is x only when |dx| > |dy|
    auto plot = [&](int major, int minor, double weight) {
        const int col = steep ? minor : major, row = steep ? major : minor;
        const int64_t index = int64_t(row) * width + col;
        if (index < 0 || index >= int64_t(kFrameWords)) return;
        const int a = int(weight);
        uint32_t& p = pixels[index];
        const int r = int(p >> 16 & 255), g = int(p >> 8 & 255), b = int(p & 255);
        const int nr = r + (((cr - r) * a) >> 8), ng = g + (((cg - g) * a) >> 8), nb = b + (((cb - b) * a) >> 8);
        p = uint32_t(nr) << 16 | uint32_t(ng) << 8 | uint32_t(nb);
    };
    const float a0f = steep ? y0 : x0, b0f = steep ? x0 : y0, a1f = steep ? y1 : x1, b1f = steep ? x1 : y1;
    const bool swap = a0f > a1f;
    const double a0 = swap ? a1f : a0f, b0 = swap ? b1f : b0f, a1 = swap ? a0f : a1f, b1 = swap ? b0f : b1f;
    // Differences, end positions and weights in double; the gradient and the minor positions are kept as
    // floats, each rounded once.
    const float gradient = float((b1 - b0) / (a1 - a0));
    auto frac = [](double v) { return v - std::floor(v); };

    const double aEnd0 = std::floor(a0 + 0.5);
    const float bEnd0 = float(b0 + gradient * (aEnd0 - a0));
    const double gap0 = 1.0 - frac(a0 + 0.5);
    const int major0 = int(aEnd0), minor0 = int(std::floor(bEnd0));
    plot(major0, minor0, (1.0 - frac(bEnd0)) * gap0 * 255.0);
    plot(major0, minor0 + 1, frac(bEnd0) * gap0 * 255.0);
    float inter = bEnd0 + gradient;

    const double aEnd1 = std::floor(a1 + 0.5);
    const float bEnd1 = float(b1 + gradient * (aEnd1 - a1));
    const double gap1 = frac(a1 + 0.5);
    const int major1 = int(aEnd1), minor1 = int(std::floor(bEnd1));
    plot(major1, minor1, (1.0 - frac(bEnd1)) * gap1 * 255.0);
    plot(major1, minor1 + 1, frac(bEnd1) * gap1 * 255.0);

    for (int m = major0 + 1; m < major1; ++m, inter += gradient) {
        const int minor = int(std::floor(inter));
        plot(m, minor, 255.0 - double(int(frac(inter) * 255.0)));
        plot(m, minor + 1, frac(inter) * 255.0);
    }
}
