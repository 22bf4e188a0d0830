// The tunnel's rays in SIMD lanes, dispatched at run time like the pixel kernels.
//
// One row of rays: ray k starts along d0 = (dx[k], dy, 1), is turned by the frame's rotation, normalised,
// and meets the tunnel (x^2 + y^2 = radius^2 for the round one) where the quadratic's larger positive
// root, else its other root, puts it. Every lane does the per-ray double arithmetic in the same order,
// each value rounded to float where the per-ray form keeps a float, so the hits have the same bits.
#pragma once

#include <cstddef>
#include <cstdint>

struct TunnelCast {
    double origin[3];    // the eye, from floats
    double rotation[9];  // x' = x r0 + y r1 - z r2, y' = x r3 + y r4 + z r5, z' = x r6 + y r7 + z r8
    double c;            // origin.x^2 + origin.y^2 - radius^2
    bool squareish;      // a = sqrt(dx^4 + dy^4) instead of dx^2 + dy^2
};

// Per ray: hit[k] is 1 when the ray meets the tunnel at a finite t, and then t[k] and h = origin + t d
// (each coordinate rounded to float); the entries of other rays are left as they are.
struct TunnelHits {
    uint8_t* hit;
    double* t;
    float *hx, *hy, *hz;
};
void tunnelHits(const TunnelCast& cast, const float* dx, float dy, size_t n, const TunnelHits& out);

namespace reference {
void tunnelHits(const TunnelCast& cast, const float* dx, float dy, size_t n, const TunnelHits& out);
}  // namespace reference
