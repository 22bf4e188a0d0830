// The tunnel rays of simd/RayKernels.h, compiled for every SIMD target and dispatched at run time.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "simd/RayKernels.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target
#include <hwy/highway.h>

#include <cmath>

#include "simd/RayKernels.h"

HWY_BEFORE_NAMESPACE();
namespace softshow {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

void TunnelHitsInLanes(const TunnelCast& cast, const float* dx, float dy, size_t n,
                       const TunnelHits& out) {
    size_t k = 0;
#if HWY_TARGET != HWY_SCALAR
    const hn::ScalableTag<double> dd;
    const hn::Rebind<float, decltype(dd)> df;  // as many floats as dd has doubles
    const size_t N = hn::Lanes(dd);
    const double* r = cast.rotation;
    auto set = [&](double v) { return hn::Set(dd, v); };
    auto toFloat = [&](hn::Vec<decltype(dd)> v) { return hn::PromoteTo(dd, hn::DemoteTo(df, v)); };
    const auto y0 = set(double(dy)), z0 = set(1.0);
    const auto ox = set(cast.origin[0]), oy = set(cast.origin[1]), oz = set(cast.origin[2]);
    const auto zero = set(0.0);
    HWY_ALIGN double tt[hn::MaxLanes(dd)];
    HWY_ALIGN float hx[hn::MaxLanes(dd)], hy[hn::MaxLanes(dd)], hz[hn::MaxLanes(dd)];
    HWY_ALIGN double ok[hn::MaxLanes(dd)];
    for (; k + N <= n; k += N) {
        const auto x0 = hn::PromoteTo(dd, hn::LoadU(df, dx + k));
        // The rotation, each coordinate a float.
        const auto x = toFloat(hn::Sub(hn::Add(hn::Mul(x0, set(r[0])), hn::Mul(y0, set(r[1]))), hn::Mul(z0, set(r[2]))));
        const auto y = toFloat(hn::Add(hn::Add(hn::Mul(x0, set(r[3])), hn::Mul(y0, set(r[4]))), hn::Mul(z0, set(r[5]))));
        const auto z = toFloat(hn::Add(hn::Add(hn::Mul(x0, set(r[6])), hn::Mul(y0, set(r[7]))), hn::Mul(z0, set(r[8]))));
        // Normalised: times 1 / length, each coordinate a float again.
        const auto length = hn::Sqrt(hn::Add(hn::Add(hn::Mul(x, x), hn::Mul(y, y)), hn::Mul(z, z)));
        const auto inverse = hn::Div(set(1.0), length);
        const auto ux = toFloat(hn::Mul(x, inverse)), uy = toFloat(hn::Mul(y, inverse)), uz = toFloat(hn::Mul(z, inverse));
        // The quadratic a t^2 + b t + c = 0.
        const auto x2 = hn::Mul(ux, ux), y2 = hn::Mul(uy, uy);
        const auto a = cast.squareish ? hn::Sqrt(hn::Add(hn::Mul(x2, x2), hn::Mul(y2, y2))) : hn::Add(x2, y2);
        const auto b = hn::Mul(set(2.0), hn::Add(hn::Mul(ox, ux), hn::Mul(oy, uy)));
        const auto disc = hn::Sub(hn::Mul(b, b), hn::Mul(hn::Mul(set(4.0), a), set(cast.c)));
        const auto real = hn::Ge(disc, zero);  // false for NaN
        const auto s = hn::Sqrt(hn::IfThenElse(real, disc, zero));
        const auto denominator = hn::Add(hn::Mul(set(2.0), a), set(1e-8));
        const auto t1 = hn::Div(hn::Sub(s, b), denominator), t2 = hn::Div(hn::Sub(hn::Neg(b), s), denominator);
        const auto t = hn::IfThenElse(hn::Gt(t1, zero), t1, t2);
        const auto finite = hn::Lt(hn::Abs(t), set(HUGE_VAL));  // false for infinities and NaN
        const auto met = hn::And(real, finite);
        hn::Store(hn::IfThenElseZero(met, set(1.0)), dd, ok);
        if (hn::AllFalse(dd, met)) continue;
        hn::Store(hn::DemoteTo(df, hn::Add(ox, hn::Mul(t, ux))), df, hx);
        hn::Store(hn::DemoteTo(df, hn::Add(oy, hn::Mul(t, uy))), df, hy);
        hn::Store(hn::DemoteTo(df, hn::Add(oz, hn::Mul(t, uz))), df, hz);
        hn::Store(t, dd, tt);
        for (size_t j = 0; j < N; ++j) {
            if (ok[j] == 0.0) continue;
            out.hit[k + j] = 1;
            out.hx[k + j] = hx[j], out.hy[k + j] = hy[j], out.hz[k + j] = hz[j];
            out.t[k + j] = tt[j];
        }
    }
#endif
    if (k < n) reference::tunnelHits(cast, dx + k, dy, n - k, {out.hit + k, out.t + k, out.hx + k, out.hy + k, out.hz + k});
}

}  // namespace HWY_NAMESPACE
}  // namespace softshow
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace softshow {
HWY_EXPORT(TunnelHitsInLanes);
}  // namespace softshow

void tunnelHits(const TunnelCast& cast, const float* dx, float dy, size_t n, const TunnelHits& out) {
    HWY_DYNAMIC_DISPATCH(softshow::TunnelHitsInLanes)(cast, dx, dy, n, out);
}

namespace reference {
void tunnelHits(const TunnelCast& cast, const float* dx, float dy, size_t n, const TunnelHits& out) {
    const double* r = cast.rotation;
    const double ox = cast.origin[0], oy = cast.origin[1], oz = cast.origin[2];
    for (size_t k = 0; k < n; ++k) {
        const float x0 = dx[k], y0 = dy, z0 = 1.0f;
        float x = float(x0 * r[0] + y0 * r[1] - z0 * r[2]);
        float y = float(x0 * r[3] + y0 * r[4] + z0 * r[5]);
        float z = float(x0 * r[6] + y0 * r[7] + z0 * r[8]);
        const double inverse = 1.0 / std::sqrt(double(x) * x + double(y) * y + double(z) * z);
        x = float(x * inverse), y = float(y * inverse), z = float(z * inverse);
        const double x2 = double(x) * x, y2 = double(y) * y;
        const double a = cast.squareish ? std::sqrt(x2 * x2 + y2 * y2) : x2 + y2;
        const double b = 2.0 * (ox * x + oy * y);
        const double disc = b * b - 4.0 * a * cast.c;
        if (!(disc >= 0.0)) continue;
        const double s = std::sqrt(disc);
        const double t1 = (s - b) / (2.0 * a + 1e-8), t2 = (-b - s) / (2.0 * a + 1e-8);
        const double t = t1 > 0 ? t1 : t2;
        if (!std::isfinite(t)) continue;
        out.hit[k] = 1;
        out.hx[k] = float(ox + t * x), out.hy[k] = float(oy + t * y), out.hz[k] = float(oz + t * z);
        out.t[k] = t;
    }
}
}  // namespace reference
#endif  // HWY_ONCE
