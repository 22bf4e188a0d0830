// The grid's shaded runs and cells in SIMD lanes, dispatched at run time like the pixel kernels, and the
// exact integer quotient both they and the triangle walk use.
#pragma once

#include <array>
#include <cstdint>

#include "effects/generators/GridRenderers.h"

namespace detail {
// floor(2^40 / b) + 1 for b in 1 .. 511.
constexpr std::array<uint64_t, 512> reciprocalTable() {
    std::array<uint64_t, 512> t{};
    for (uint64_t b = 1; b < 512; ++b) t[b] = (uint64_t(1) << 40) / b + 1;
    return t;
}
inline constexpr std::array<uint64_t, 512> kReciprocal = reciprocalTable();
}  // namespace detail

// a / b truncated towards zero; 0 for b = 0, and INT32_MIN / -1 wraps instead of trapping.
// Divisors 1 .. 511 (every grid span and edge) multiply by floor(2^40 / b) + 1 (a 128-bit product): that
// overshoots |a| / b by at most 2^31 / 2^40 = 2^-9, less than the 1 / b that separates a quotient with a
// fraction from the next integer, so the truncation is exact. Others go through a double division, exact
// too: a quotient with a fraction lies at least 1 / |b| from every integer, the double's rounding error
// below 2^-22 / |b|.
inline int32_t truncatedQuotient(int32_t a, int32_t b) {
    if (b > 0 && b < 512) {
        const uint64_t magnitude = a < 0 ? uint64_t(0) - uint64_t(int64_t(a)) : uint64_t(a);
        const uint64_t q = uint64_t((unsigned __int128)magnitude * detail::kReciprocal[size_t(b)] >> 40);
        return a < 0 ? int32_t(uint32_t(0) - uint32_t(q)) : int32_t(q);
    }
    if (b == 0) return 0;
    if (b == -1) return int32_t(uint32_t(0) - uint32_t(a));
    return int32_t(double(a) / double(b));
}

// A run of pixels: texel (u >> 16, v >> 16) of a 256 x 256 texture, each channel darkened by k >> 16,
// the three stepped by du, dv, dk per pixel with wrapping 32-bit additions.
struct ShadedSteps {
    int32_t u, v, k;
    int32_t du, dv, dk;
};

// row[0 .. n - 1], combined by `blend`; row[0 .. room - 1] may be read and written back unchanged (room
// >= n). Equals reference::shadedRun bit for bit.
void shadedRun(GridBlend blend, uint32_t* row, int n, int room, const ShadedSteps& steps, const uint32_t* texels);

// Cells 0 .. count - 1 of one row of the grid, cell i at `row` + 8 i, rows W words apart: its corners A,
// B, C, D are top[i], top[i + 1], bottom[i] and bottom[i + 1], standing at the cell's own corners (only
// their u, v and k are read). Both triangles A-C-D and A-B-D of each cell, one lane per cell row. Returns
// false, having drawn nothing, where the target has fewer than 8 lanes of 32 bits; the caller then walks
// the triangles.
bool shadedCellRow(GridBlend blend, uint32_t* row, int W, const ShadedVertex* top, const ShadedVertex* bottom, int count,
                   const uint32_t* texels);

namespace reference {
// The same run one pixel at a time.
void shadedRun(GridBlend blend, uint32_t* row, int n, const ShadedSteps& steps, const uint32_t* texels);
}  // namespace reference
