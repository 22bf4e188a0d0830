// Grid renderers: fill 8 x 8-pixel cells between grid nodes with a 256 x 256 texture, in 16.16 fixed
// point (16 integer, 16 fraction bits). Texel (tu, tv) is word (tv & 255) * 256 + (tu & 255), so
// coordinates wrap both ways; the texture must hold 256 x 256 words.
//
//   block renderer     bilinear u, v across the cell from its four corners; texels unchanged
//   triangle renderer  two triangles per cell (A-C-D, A-B-D), affine u, v and a darkness k subtracted
//                      from each channel; bottom rows and right-most columns are left to the next
//                      triangle, so every pixel of a cell is drawn exactly once
//
// Each comes in three pixel combinations, chosen once per render: copy, saturating add, saturating
// subtract (GridBlend). Nothing is checked per pixel.
#pragma once

#include <cstdint>

enum class GridBlend { Copy, Add, Subtract };

// blendMode 1 adds, 2 subtracts, anything else copies.
inline GridBlend gridBlendFor(int blendMode) {
    return blendMode == 1 ? GridBlend::Add : blendMode == 2 ? GridBlend::Subtract : GridBlend::Copy;
}

struct ShadedVertex {
    int32_t x, y;  // screen pixel
    int32_t u, v;  // texel coordinates
    int32_t k;     // darkness 0..255
};

void drawGridBlock(GridBlend blend, uint32_t* target, int W, int x, int y, float Au, float Av, float Bu, float Bv,
                   float Cu, float Cv, float Du, float Dv, const uint32_t* texture);
void drawShadedTriangle(GridBlend blend, uint32_t* target, int W, ShadedVertex a, ShadedVertex b, ShadedVertex c,
                        const uint32_t* texture);
// One row: ua..vb are texel coordinates, ka and kb darkness in 16.16.
void drawShadedSpan(GridBlend blend, uint32_t* target, int W, int32_t xa, int32_t xb, int32_t y, int32_t ua, int32_t ub,
                    int32_t va, int32_t vb, int32_t ka, int32_t kb, const uint32_t* texture);
