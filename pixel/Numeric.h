// Numeric conventions shared by every module.
//
// Floating-point work is done in double and rounded to float where a value is stored; conversions to
// integer truncate toward zero. `truncToInt` gives the x86 answer (INT32_MIN) for NaN and out-of-range
// values instead of undefined behaviour, so hostile inputs can never make a conversion trap.
#pragma once

#include <cstdint>

constexpr uint32_t kFrameWidth = 512;
constexpr uint32_t kFrameHeight = 384;
constexpr uint32_t kFrameWords = kFrameWidth * kFrameHeight;  // 196,608 words of a 512 x 384 frame

inline int32_t truncToInt(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return INT32_MIN;  // NaN too
    return static_cast<int32_t>(v);
}

// `start` with `step` added `count` times, one float addition at a time: the same bits as a running sum
// over the skipped rows or columns of a walk. It stops once the sum no longer changes, so even a count in
// the billions costs at most about 2^25 additions.
inline float accumulateSteps(float start, float step, int64_t count) {
    float v = start;
    for (int64_t i = 0; i < count; ++i) {
        const float next = v + step;
        if (next == v || next != next) return next;
        v = next;
    }
    return v;
}
