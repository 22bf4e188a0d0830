// The angle kernel of simd/AngleKernels.h, compiled for every SIMD target and dispatched at run time.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "simd/AngleKernels.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target
#include <hwy/highway.h>

#include <hwy/contrib/math/math-inl.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "simd/AngleKernels.h"

#ifndef SOFTSHOW_ANGLE_KERNELS_ONCE
#define SOFTSHOW_ANGLE_KERNELS_ONCE
namespace softshow {
// float(r) when r certainly rounds to the float the library's atan2 rounds to, else the library's own.
// r is within a few double ulps (2^-50 of its size) of the true angle, and so is the library's: unless r
// lies within 2^-36 of its size of a halfway point, both round to the float that r rounds to.
inline float checkedAngle(double r, double y, double x) {
    const float f = float(r);
    const double a = std::fabs(r);
    if (a >= 0x1p-100 && a <= 4.0) {  // also false for NaN
        // The halfway points on either side of |f|, exact in double.
        const float m = std::fabs(f);
        uint32_t bits;
        std::memcpy(&bits, &m, sizeof bits);
        const uint32_t downBits = bits - 1, upBits = bits + 1;
        float down, up;
        std::memcpy(&down, &downBits, sizeof down), std::memcpy(&up, &upBits, sizeof up);
        const double below = (double(m) + double(down)) * 0.5, above = (double(m) + double(up)) * 0.5;
        const double margin = a * 0x1p-36;
        if (a - below > margin && above - a > margin) return f;
    }
    return float(std::atan2(y, x));
}
}  // namespace softshow
#endif

HWY_BEFORE_NAMESPACE();
namespace softshow {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

void Atan2Floats(const double* y, const double* x, float* out, size_t n) {
    size_t i = 0;
#if HWY_TARGET != HWY_SCALAR
    const hn::ScalableTag<double> dd;
    const size_t N = hn::Lanes(dd);
    const auto zero = hn::Zero(dd);
    const auto pi = hn::Set(dd, 3.14159265358979323846);
    HWY_ALIGN double r[hn::MaxLanes(dd)];
    for (; i + N <= n; i += N) {
        const auto vy = hn::LoadU(dd, y + i), vx = hn::LoadU(dd, x + i);
        // atan(y / x), then pi towards y's side when x is negative. x = 0, zeros and non-finite values
        // give results the check below sends to the library.
        const auto base = hn::Atan(dd, hn::Div(vy, vx));
        const auto turn = hn::IfThenElse(hn::Lt(vy, zero), hn::Neg(pi), pi);
        hn::Store(hn::IfThenElse(hn::Lt(vx, zero), hn::Add(base, turn), base), dd, r);
        for (size_t j = 0; j < N; ++j) {
            const double xj = x[i + j], yj = y[i + j];
            out[i + j] = xj != 0.0 && yj != 0.0 && std::isfinite(xj) && std::isfinite(yj)
                             ? checkedAngle(r[j], yj, xj)
                             : float(std::atan2(yj, xj));
        }
    }
#endif
    for (; i < n; ++i) out[i] = float(std::atan2(y[i], x[i]));
}

}  // namespace HWY_NAMESPACE
}  // namespace softshow
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace softshow {
HWY_EXPORT(Atan2Floats);
}  // namespace softshow

void atan2Floats(const double* y, const double* x, float* out, size_t n) {
    if (n > 0) HWY_DYNAMIC_DISPATCH(softshow::Atan2Floats)(y, x, out, n);
}
#endif  // HWY_ONCE
