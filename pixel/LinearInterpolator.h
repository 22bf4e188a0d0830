// Segments: a parameter goes from `from` to `to` while the show time runs through
// [startTime, endTime). Times are absolute show seconds. Outside every segment a parameter keeps the
// value it was last given; inside, the segment appended last wins.
//
// Evaluation at t: d = end - start, n = t - start, u = n / d, each rounded to float; then by type:
//   float          (to - from) * u + from in double, rounded once;
//   int            from + (to - from) * u in double, truncated toward zero;
//   Color, Vector  from + (to - from) * u with each component rounded after every operation.
#pragma once

#include <type_traits>
#include <vector>

#include "pixel/Numeric.h"
#include "pixel/Vector.h"

inline float lerpSegmentValue(float from, float to, float u) {
    return float((double(to) - double(from)) * double(u) + double(from));
}
inline int lerpSegmentValue(int from, int to, float u) {
    const int32_t diff = int32_t(uint32_t(to) - uint32_t(from));  // 32-bit difference, wraps
    return truncToInt(double(diff) * double(u) + double(from));
}
inline Vector2 lerpSegmentValue(const Vector2& from, const Vector2& to, float u) {
    return from + (to - from) * u;
}
inline Vector3 lerpSegmentValue(const Vector3& from, const Vector3& to, float u) {
    return from + (to - from) * u;
}

template <class T>
struct LinearInterpolator {
    T from{};
    T to{};
    float startTime = 0;
    float endTime = 0;

    LinearInterpolator() = default;
    LinearInterpolator(const T& from_, const T& to_, float start, float end)
        : from(from_), to(to_), startTime(start), endTime(end) {}

    // Component-wise forms used by scripts: (fx, fy, tx, ty, start, end) and (fx, fy, fz, tx, ty, tz, ...).
    template <class U = T, class = std::enable_if_t<std::is_same_v<U, Vector2>>>
    LinearInterpolator(float fx, float fy, float tx, float ty, float start, float end)
        : from(fx, fy), to(tx, ty), startTime(start), endTime(end) {}
    template <class U = T, class = std::enable_if_t<std::is_same_v<U, Vector3>>>
    LinearInterpolator(float fx, float fy, float fz, float tx, float ty, float tz, float start, float end)
        : from(fx, fy, fz), to(tx, ty, tz), startTime(start), endTime(end) {}

    // Half-open window test; NaN matches nothing.
    bool contains(float t) const { return t >= startTime && t < endTime; }

    // The value at t; meaningful for t inside the window.
    T evaluate(float t) const {
        const float d = endTime - startTime;
        const float n = t - startTime;
        const float u = n / d;
        return lerpSegmentValue(from, to, u);
    }
};

// Walks a segment list in append order and hands the value of every segment containing t to `apply`.
template <class T, class Apply>
void applySegments(const std::vector<LinearInterpolator<T>>& segments, float t, Apply&& apply) {
    for (const LinearInterpolator<T>& s : segments)
        if (s.contains(t)) apply(s.evaluate(t));
}
