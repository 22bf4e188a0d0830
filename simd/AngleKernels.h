// Angles in SIMD lanes, dispatched at run time like the pixel kernels.
#pragma once

#include <cstddef>

// out[i] = float(std::atan2(y[i], x[i])) for i < n, the same bits as the C library's double atan2 rounded
// to float. Lanes compute atan(y / x) with the quadrant's pi added (a few double ulps from the true
// angle); a lane whose result lies within 2^-36 of its size of a point halfway between two floats (where
// those ulps could decide the rounding), and every zero, subnormal or non-finite case, takes the library's
// atan2 instead.
void atan2Floats(const double* y, const double* x, float* out, size_t n);
