// The span kernels of scene3d/Raster.h for every SIMD target. Each lane takes one fragment k of the span:
// 1/z, u/z and v/z are start + k x step (exact runs), then the same operations as the per-fragment form
// in the same order: the depth test on floats, 1 / (1/z) and the two products in float, the texel
// coordinates as products in double truncated towards zero (NaN and values outside the int32 range give
// INT32_MIN, as truncToInt does), then masked.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "simd/RasterSpans.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target
#include <hwy/highway.h>

#include "pixel/Numeric.h"
#include "scene3d/Raster.h"

HWY_BEFORE_NAMESPACE();
namespace softshow {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// The per-fragment form with the run's closed form for the values: the words that do not fill a vector.
void FlatTail(uint32_t* row, float* depthRow, int from, int count, const SpanStart& s, uint32_t color) {
    for (int x = from; x < count; ++x) {
        const float w = s.w + float(x) * s.dw;
        if (depthRow[x] > w) row[x] = color, depthRow[x] = w;
    }
}

void TexturedTail(uint32_t* row, float* depthRow, int from, int count, const SpanStart& s, const uint32_t* texels,
                  int tw, int th) {
    const uint32_t maskU = uint32_t(tw - 1), maskV = uint32_t(th - 1);
    for (int x = from; x < count; ++x) {
        const float w = s.w + float(x) * s.dw;
        if (!(depthRow[x] > w)) continue;
        const float z = 1.0f / w;
        const float u = (s.uw + float(x) * s.du) * z, v = (s.vw + float(x) * s.dv) * z;
        const uint32_t r = uint32_t(truncToInt(double(v) * th)) & maskV;
        const uint32_t c = uint32_t(truncToInt(double(u) * tw)) & maskU;
        row[x] = texels[size_t(r) * size_t(tw) + c];
        depthRow[x] = w;
    }
}

#if HWY_TARGET == HWY_SCALAR
void FillSpanFlat(uint32_t* row, float* depthRow, int count, const SpanStart& s, uint32_t color) {
    FlatTail(row, depthRow, 0, count, s, color);
}
void FillSpanTextured(uint32_t* row, float* depthRow, int count, const SpanStart& s, const uint32_t* texels, int tw,
                      int th) {
    TexturedTail(row, depthRow, 0, count, s, texels, tw, th);
}
#else
// trunc(double(v) * size) as truncToInt does it, for the lanes of one float vector, in two double halves.
template <class DF>
HWY_INLINE hn::Vec<hn::RebindToSigned<DF>> TexelCoordinate(DF df, hn::Vec<DF> v, double size) {
    const hn::Repartition<double, DF> dd;
    const hn::Half<hn::RebindToSigned<DF>> dhi;
    const hn::Half<DF> dh;
    const auto scale = hn::Set(dd, size);
    const auto low = hn::Set(dd, -2147483649.0), high = hn::Set(dd, 2147483648.0), indefinite = hn::Set(dd, -2147483648.0);
    auto half = [&](auto p) {
        const auto product = hn::Mul(p, scale);
        const auto inRange = hn::And(hn::Gt(product, low), hn::Lt(product, high));  // false for NaN too
        return hn::DemoteTo(dhi, hn::IfThenElse(inRange, product, indefinite));
    };
    return hn::Combine(hn::RebindToSigned<DF>(), half(hn::PromoteTo(dd, hn::UpperHalf(dh, v))),
                       half(hn::PromoteTo(dd, hn::LowerHalf(dh, v))));
}

template <bool kTextured>
void FillSpan(uint32_t* row, float* depthRow, int count, const SpanStart& s, uint32_t color, const uint32_t* texels,
              int tw, int th) {
    const hn::ScalableTag<float> df;
    const hn::RebindToSigned<decltype(df)> di;
    const hn::RebindToUnsigned<decltype(df)> du;
    const auto w0 = hn::Set(df, s.w), dw = hn::Set(df, s.dw), uw0 = hn::Set(df, s.uw), duw = hn::Set(df, s.du);
    const auto vw0 = hn::Set(df, s.vw), dvw = hn::Set(df, s.dv), one = hn::Set(df, 1.0f);
    const auto maskU = hn::Set(di, tw - 1), maskV = hn::Set(di, th - 1), width = hn::Set(di, tw);
    const auto flat = hn::Set(du, color);
    const int N = int(hn::Lanes(df));
    int x = 0;
    for (; x + N <= count; x += N) {
        const auto k = hn::ConvertTo(df, hn::Iota(di, x));
        const auto w = hn::Add(w0, hn::Mul(k, dw));
        const auto pass = hn::Gt(hn::LoadU(df, depthRow + x), w);
        if (hn::AllFalse(df, pass)) continue;
        auto out = flat;
        if constexpr (kTextured) {
            const auto z = hn::Div(one, w);
            const auto u = hn::Mul(hn::Add(uw0, hn::Mul(k, duw)), z), v = hn::Mul(hn::Add(vw0, hn::Mul(k, dvw)), z);
            const auto r = hn::And(TexelCoordinate(df, v, double(th)), maskV);
            const auto c = hn::And(TexelCoordinate(df, u, double(tw)), maskU);
            out = hn::GatherIndex(du, texels, hn::Add(hn::Mul(r, width), c));
        }
        hn::BlendedStore(out, hn::RebindMask(du, pass), du, row + x);
        hn::BlendedStore(w, pass, df, depthRow + x);
    }
    if constexpr (kTextured)
        TexturedTail(row, depthRow, x, count, s, texels, tw, th);
    else
        FlatTail(row, depthRow, x, count, s, color);
}

void FillSpanFlat(uint32_t* row, float* depthRow, int count, const SpanStart& s, uint32_t color) {
    FillSpan<false>(row, depthRow, count, s, color, nullptr, 1, 1);
}
void FillSpanTextured(uint32_t* row, float* depthRow, int count, const SpanStart& s, const uint32_t* texels, int tw,
                      int th) {
    FillSpan<true>(row, depthRow, count, s, 0, texels, tw, th);
}
#endif

}  // namespace HWY_NAMESPACE
}  // namespace softshow
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace softshow {
HWY_EXPORT(FillSpanFlat);
HWY_EXPORT(FillSpanTextured);
}  // namespace softshow

void fillSpanFlat(uint32_t* row, float* depthRow, int count, const SpanStart& s, uint32_t color) {
    HWY_DYNAMIC_DISPATCH(softshow::FillSpanFlat)(row, depthRow, count, s, color);
}
void fillSpanTextured(uint32_t* row, float* depthRow, int count, const SpanStart& s, const uint32_t* texels, int tw,
                      int th) {
    HWY_DYNAMIC_DISPATCH(softshow::FillSpanTextured)(row, depthRow, count, s, texels, tw, th);
}
#endif  // HWY_ONCE
