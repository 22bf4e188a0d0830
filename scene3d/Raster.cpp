#include "scene3d/Raster.h"

#include <algorithm>
#include <cmath>

#include "pixel/Numeric.h"
#include "scene3d/DepthBuffer.h"

EdgeEntry leftEdge[kRasterRows];
EdgeEntry rightEdge[kRasterRows];

namespace {

bool finite(const RasterCorner& c) {
    return std::isfinite(c.sx) && std::isfinite(c.sy) && std::isfinite(c.z) && std::isfinite(c.u) &&
           std::isfinite(c.v);
}

// Rows of a triangle whose edges are in the tables; false when there is nothing to draw.
bool setUpTriangle(const RasterCorner corners[3], int& firstRow, int& endRow) {
    for (int i = 0; i < 3; ++i)
        if (!finite(corners[i])) return false;
    for (int r = 0; r < kRasterRows; ++r) leftEdge[r].x = 512.0f, rightEdge[r].x = 0.0f;
    const RasterCorner* c[3] = {&corners[0], &corners[1], &corners[2]};
    std::stable_sort(c, c + 3, [](const RasterCorner* a, const RasterCorner* b) { return a->sy < b->sy; });
    walkEdge(leftEdge, rightEdge, *c[0], *c[1]);
    walkEdge(leftEdge, rightEdge, *c[0], *c[2]);
    walkEdge(leftEdge, rightEdge, *c[1], *c[2]);
    const int64_t top = truncToInt(double(c[0]->sy)), bottom = truncToInt(double(c[2]->sy));
    if (top >= bottom) return false;
    firstRow = int(std::max<int64_t>(top, 0));
    endRow = int(std::min<int64_t>(bottom, kRasterRows));
    return firstRow < endRow;
}

// Fills the spanned rows; Shade(x, y, w, uw, vw) returns the colour of a fragment that passed the test.
template <class Shade>
void fillSpans(uint32_t* pixels, int width, int height, int firstRow, int endRow, bool perspective, Shade shade) {
    endRow = std::min(endRow, height);
    for (int y = firstRow; y < endRow; ++y) {
        const EdgeEntry& l = leftEdge[y];
        const EdgeEntry& r = rightEdge[y];
        const float xl = l.x, xr = r.x;
        const float span = xr - xl;
        const float dw = span != 0.0f ? (r.w - l.w) / span : 0.0f;
        const float du = perspective && span != 0.0f ? (r.uw - l.uw) / span : 0.0f;
        const float dv = perspective && span != 0.0f ? (r.vw - l.vw) / span : 0.0f;
        const int64_t x0 = truncToInt(double(xl));
        const int64_t x1 = truncToInt(double(span) + double(x0));
        float w = l.w, uw = l.uw, vw = l.vw;
        int64_t x = x0;
        if (x < 0) {  // columns left of the target are stepped over in one go
            w += dw * float(-x), uw += du * float(-x), vw += dv * float(-x);
            x = 0;
        }
        const int64_t last = std::min<int64_t>(x1, int64_t(std::min(width, kDepthBufferWidth)) - 1);
        for (; x <= last; ++x, w += dw, uw += du, vw += dv) {
            float& depth = depthBuffer[y * kDepthBufferWidth + int(x)];
            if (depth > w) {
                pixels[size_t(y) * size_t(width) + size_t(x)] = shade(w, uw, vw);
                depth = w;
            }
        }
    }
}

inline float frac(float v) { return v - std::floor(v); }

}  // namespace

void walkEdge(EdgeEntry* left, EdgeEntry* right, const RasterCorner& from, const RasterCorner& to) {
    const float dy = to.sy - from.sy;
    const float slope = (to.sx - from.sx) / dy;
    const float wFrom = 1.0f / from.z, wTo = 1.0f / to.z;
    const float dw = (wTo - wFrom) / dy;
    const float du = (to.u / to.z - from.u / from.z) / dy;
    const float dv = (to.v / to.z - from.v / from.z) / dy;
    if (!std::isfinite(dy) || !std::isfinite(slope) || !std::isfinite(dw) || !std::isfinite(du) || !std::isfinite(dv))
        return;  // a horizontal edge (dy 0) or a corner at z = 0 adds nothing
    const int64_t first = truncToInt(double(from.sy));
    const int64_t last = truncToInt(double(dy) + double(first));
    if (first > last) return;
    float x = from.sx, w = wFrom, uw = from.u / from.z, vw = from.v / from.z;
    int64_t r = first;
    if (r < 0) {  // rows above the target are stepped over in one go
        const float skip = float(-r);
        x += slope * skip, w += dw * skip, uw += du * skip, vw += dv * skip;
        r = 0;
    }
    const int64_t end = std::min<int64_t>(last, kRasterRows - 1);
    for (; r <= end; ++r, x += slope, w += dw, uw += du, vw += dv) {
        if (left[r].x > x) left[r] = {x, 0.0f, w, uw, vw};
        if (right[r].x < x) right[r] = {x, 0.0f, w, uw, vw};
    }
}

void fillFlat(uint32_t* pixels, int width, int height, const RasterCorner corners[3], uint32_t color) {
    int first, end;
    if (!setUpTriangle(corners, first, end)) return;
    fillSpans(pixels, width, height, first, end, false, [color](float, float, float) { return color; });
}

void fillWhite(uint32_t* pixels, int width, int height, const RasterCorner corners[3]) {
    fillFlat(pixels, width, height, corners, 0x00FFFFFFu);
}

void fillTextured(uint32_t* pixels, int width, int height, const RasterCorner corners[3], const uint32_t* texels,
                  int tw, int th) {
    if (!texels || tw <= 0 || th <= 0) return;
    int first, end;
    if (!setUpTriangle(corners, first, end)) return;
    const uint32_t maskU = uint32_t(tw - 1), maskV = uint32_t(th - 1);
    fillSpans(pixels, width, height, first, end, true, [=](float w, float uw, float vw) {
        const float z = 1.0f / w;
        const float u = uw * z, v = vw * z;
        const uint32_t row = uint32_t(truncToInt(double(v) * th)) & maskV;
        const uint32_t col = uint32_t(truncToInt(double(u) * tw)) & maskU;
        return texels[size_t(row) * size_t(tw) + col];
    });
}

void drawLine(uint32_t* pixels, float x0, float y0, float x1, float y1, int width, int height, uint32_t color) {
    auto clampCoordinate = [](float v, int limit) {
        if (!(v >= 0.0f)) return 0.0f;  // negative or NaN
        return v >= float(limit) ? float(limit - 1) : v;
    };
    x0 = clampCoordinate(x0, width), x1 = clampCoordinate(x1, width);
    y0 = clampCoordinate(y0, height), y1 = clampCoordinate(y1, height);
    const float dx = x1 - x0, dy = y1 - y0;
    if (dx == 0.0f && dy == 0.0f) return;

    const int cr = int(color >> 16 & 255), cg = int(color >> 8 & 255), cb = int(color & 255);
    const bool steep = std::fabs(dy) >= std::fabs(dx);  // the major axis is x only when |dx| > |dy|
    auto plot = [&](int major, int minor, float weight) {
        const int col = steep ? minor : major, row = steep ? major : minor;
        const int64_t index = int64_t(row) * width + col;
        if (index < 0 || index >= int64_t(kFrameWords)) return;
        const int a = int(weight);
        uint32_t& p = pixels[index];
        const int r = int(p >> 16 & 255), g = int(p >> 8 & 255), b = int(p & 255);
        const int nr = r + (((cr - r) * a) >> 8), ng = g + (((cg - g) * a) >> 8), nb = b + (((cb - b) * a) >> 8);
        p = uint32_t(nr) << 16 | uint32_t(ng) << 8 | uint32_t(nb);
    };
    float a0 = steep ? y0 : x0, b0 = steep ? x0 : y0, a1 = steep ? y1 : x1, b1 = steep ? x1 : y1;
    if (a0 > a1) std::swap(a0, a1), std::swap(b0, b1);
    const float gradient = (b1 - b0) / (a1 - a0);

    const float aEnd0 = std::floor(a0 + 0.5f);
    const float bEnd0 = b0 + gradient * (aEnd0 - a0);
    const float gap0 = 1.0f - frac(a0 + 0.5f);
    const int major0 = int(aEnd0), minor0 = int(std::floor(bEnd0));
    plot(major0, minor0, (1.0f - frac(bEnd0)) * gap0 * 255.0f);
    plot(major0, minor0 + 1, frac(bEnd0) * gap0 * 255.0f);
    float inter = bEnd0 + gradient;

    const float aEnd1 = std::floor(a1 + 0.5f);
    const float bEnd1 = b1 + gradient * (aEnd1 - a1);
    const float gap1 = frac(a1 + 0.5f);
    const int major1 = int(aEnd1), minor1 = int(std::floor(bEnd1));
    plot(major1, minor1, (1.0f - frac(bEnd1)) * gap1 * 255.0f);
    plot(major1, minor1 + 1, frac(bEnd1) * gap1 * 255.0f);

    for (int m = major0 + 1; m < major1; ++m, inter += gradient) {
        const int minor = int(std::floor(inter));
        plot(m, minor, 255.0f - float(int(frac(inter) * 255.0f)));
        plot(m, minor + 1, frac(inter) * 255.0f);
    }
}
