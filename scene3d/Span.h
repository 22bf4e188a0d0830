// One row of a triangle between its left and right edge entries: where drawing starts and ends and the
// running sums of 1/z, u/z and v/z at the first drawn column. Shared by the plain per-fragment walk and the
// SIMD fills so both start every row from the same bits.
#pragma once

#include <algorithm>
#include <cstdint>

#include "pixel/Numeric.h"
#include "scene3d/Raster.h"

struct RowSpan {
    int64_t x, last;            // first and last column drawn; nothing when x > last
    float w, uw, vw;            // the running sums at column x
    float dw, du, dv;           // added once per column, one float addition at a time
};

// Steps come from double differences and quotients, each rounded once; a span of zero width takes zero
// steps. Columns left of the target are walked without drawing; `columns` bounds the last column. The
// steps are 0 where no step is taken (nothing drawn, or one fragment at the span's own start).
inline RowSpan rowSpan(const EdgeEntry& l, const EdgeEntry& r, bool perspective, int columns) {
    RowSpan s;
    const float xl = l.x, xr = r.x;
    const double span = double(xr) - xl;
    const int64_t x0 = truncToInt(double(xl));
    const int64_t x1 = truncToInt(span + double(x0));
    s.w = l.w, s.uw = l.uw, s.vw = l.vw;
    s.x = std::max<int64_t>(x0, 0);
    s.last = std::min<int64_t>(x1, int64_t(columns) - 1);
    s.dw = s.du = s.dv = 0.0f;
    // The steps (three divisions) only where a step is taken: most spans of small faces are one fragment.
    if (s.x > s.last || (s.x == s.last && x0 >= 0)) return s;
    s.dw = span != 0.0 ? float((double(r.w) - l.w) / span) : 0.0f;
    s.du = perspective && span != 0.0 ? float((double(r.uw) - l.uw) / span) : 0.0f;
    s.dv = perspective && span != 0.0 ? float((double(r.vw) - l.vw) / span) : 0.0f;
    if (x0 < 0) {
        s.w = accumulateSteps(s.w, s.dw, -x0), s.uw = accumulateSteps(s.uw, s.du, -x0);
        s.vw = accumulateSteps(s.vw, s.dv, -x0);
    }
    return s;
}

// A texture whose sides are 2^logWidth x 2^logHeight, and the texel a fragment shows: u and v scaled by a
// power of two are exact in float, so this float form equals the double one of any texture size.
// Positions outside the int32 range give 0 (the truncation's INT32_MIN masked), as in the double form.
// Made once per triangle: the scales and masks are not converted per fragment.
struct PowerOfTwoTexture {
    const uint32_t* texels;
    int logWidth;
    float width, height;
    uint32_t maskU, maskV;
    PowerOfTwoTexture(const uint32_t* t, int logW, int logH)
        : texels(t), logWidth(logW), width(float(1u << logW)), height(float(1u << logH)), maskU((1u << logW) - 1),
          maskV((1u << logH) - 1) {}
    uint32_t texel(float w, float uw, float vw) const {
        const float z = 1.0f / w;
        const uint32_t col = wrapped(uw * z * width, maskU), row = wrapped(vw * z * height, maskV);
        return texels[size_t(row) << logWidth | col];
    }
    // INT32_MIN (NaN and out-of-range values) masked gives 0.
    static uint32_t wrapped(float f, uint32_t mask) { return uint32_t(truncFloatToInt(f)) & mask; }
};
