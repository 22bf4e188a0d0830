// Triangle rasterisers and the anti-aliased line.
//
// Triangles arrive in screen space: corners (sx, sy, z, u, v). Their edges are walked into two per-row
// tables (left and right) holding x, 1/z, u/z and v/z; each row between them is filled with a
// depth test against the shared depthBuffer (strictly nearer wins, so the first of two equal fragments
// stays). The textured fill divides once per pixel for perspective-correct u, v and wraps texels by mask.
// Slopes and steps come from double differences and quotients, each rounded once to the float it is kept in.
//
// Decisions of ours:
//   - corners of equal sy keep their given order (a stable sort), so the same triangle always walks the
//     same edges;
//   - a span of zero width (xr == xl) takes zero steps instead of dividing by zero;
//   - rows and columns outside the 512 x 384 target, and corners that are NaN or infinite, are never
//     written: such an edge or triangle is dropped; rows and columns before the target are stepped over
//     one addition at a time (accumulateSteps), so the first drawn values equal a walk from the corner.
#pragma once

#include <cstdint>

struct RasterCorner {
    float sx, sy, z, u, v;
};

constexpr int kRasterRows = 384;

struct alignas(16) EdgeEntry {
    float x, w, uw, vw;  // x, 1/z, u/z, v/z
};

// Seven entries of room past the last row: the fills read rows eight at a time.
constexpr int kEdgeRoom = kRasterRows + 7;
extern EdgeEntry leftEdge[kEdgeRoom];
extern EdgeEntry rightEdge[kEdgeRoom];

// A corner as its edges walk it: 1/z, u/z and v/z in double, each quotient rounded once, computed once for
// the two edges that meet there.
struct EdgeCorner {
    float sx, sy;
    double w, uw, vw;
};
inline EdgeCorner edgeCorner(const RasterCorner& c) {
    return {c.sx, c.sy, 1.0 / c.z, double(c.u) / c.z, double(c.v) / c.z};
}

void walkEdge(EdgeEntry* left, EdgeEntry* right, const EdgeCorner& from, const EdgeCorner& to);

// The fills run in SIMD lanes (simd/SpanKernels.h); reference:: keeps the plain per-fragment walk they
// equal bit for bit.
void fillFlat(uint32_t* pixels, int width, int height, const RasterCorner corners[3], uint32_t color);
void fillWhite(uint32_t* pixels, int width, int height, const RasterCorner corners[3]);
// texels: textureWidth x textureHeight words; power-of-two sizes wrap exactly, others by the same mask.
void fillTextured(uint32_t* pixels, int width, int height, const RasterCorner corners[3], const uint32_t* texels,
                  int textureWidth, int textureHeight);
namespace reference {
void fillFlat(uint32_t* pixels, int width, int height, const RasterCorner corners[3], uint32_t color);
void fillTextured(uint32_t* pixels, int width, int height, const RasterCorner corners[3], const uint32_t* texels,
                  int textureWidth, int textureHeight);
}  // namespace reference

// Xiaolin Wu's line; end points are clamped into the target first; a pixel is blended with weight a/255
// as old + (((channel - old) * a) >> 8) and written only when its word index is inside the 512 x 384 frame.
void drawLine(uint32_t* pixels, float x0, float y0, float x1, float y1, int width, int height, uint32_t color);
