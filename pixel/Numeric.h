// Numeric conventions shared by every module.
//
// Floating-point work is done in double and rounded to float where a value is stored; conversions to
// integer truncate toward zero. `truncToInt` gives the x86 answer (INT32_MIN) for NaN and out-of-range
// values instead of undefined behaviour, so hostile inputs can never make a conversion trap.
#pragma once

#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

constexpr uint32_t kFrameWidth = 512;
constexpr uint32_t kFrameHeight = 384;
constexpr uint32_t kFrameWords = kFrameWidth * kFrameHeight;  // 196,608 words of a 512 x 384 frame

inline int32_t truncToInt(double v) {
#if defined(__SSE2__)
    return _mm_cvttsd_si32(_mm_set_sd(v));  // the instruction's own answer: no comparisons and branches
#else
    if (!(v > -2147483649.0 && v < 2147483648.0)) return INT32_MIN;  // NaN too
    return static_cast<int32_t>(v);
#endif
}

// The same for a float, without widening it first.
inline int32_t truncFloatToInt(float v) {
#if defined(__SSE2__)
    return _mm_cvtt_ss2si(_mm_set_ss(v));
#else
    if (!(v >= -2147483648.0f && v < 2147483648.0f)) return INT32_MIN;  // NaN too
    return static_cast<int32_t>(v);
#endif
}

// How many steps of the running sum v, fl(v + d), fl(fl(v + d) + d), ... (at most `limit`) add one and
// the same float D = fl(v + d) - v, so that the sum after j of those steps is exactly v + j * D (both j * D
// and that sum are representable).
//
// Why it holds: while a sum a and the exact a + d stay in one binade [2^e, 2^(e+1)) (by magnitude), a is
// a multiple of that binade's ulp q, so fl(a + d) = a + q * round(d / q), and d / q has the same fraction
// at every step. The rounding is the same each step unless that fraction is exactly one half (ties go to
// the even neighbour, which alternates): then, and for zero, subnormal or non-finite values, 0 is returned
// and the caller adds one step at a time.
inline int64_t arithmeticSteps(float v, float d, int64_t limit) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const int exponent = int(bits >> 23 & 0xFF);
    if (exponent == 0 || exponent == 0xFF || limit <= 0 || !(d - d == 0.0f)) return 0;
    // Sums measured in ulps of v's binade, mirrored so that they are positive: 1/q = 2^(150 - exponent).
    const uint64_t scaleBits = uint64_t(150 - exponent + 1023) << 52;
    double scale;
    std::memcpy(&scale, &scaleBits, sizeof scale);
    if (v < 0) scale = -scale;
    const double a = double(v) * scale;  // a whole number in [2^23, 2^24)
    const double t = double(d) * scale;  // exact: d scaled by a power of two
    const double twice = 2.0 * t;
    if (twice > -9e15 && twice < 9e15) {  // beyond, t has no fraction
        const int64_t whole = int64_t(twice);
        if (double(whole) == twice && (whole & 1)) return 0;  // a tie
    }
    const float next = v + d;
    const double m = (double(next) - double(v)) * scale;  // whole when the first step stays in the binade
    // Step j belongs to the run when a + j * m + t lies in [2^23, 2^24); the rooms below are exact (a and
    // the bounds are whole numbers under 2^24 and t's lowest bit is at least 2^-24 once |t| >= 1/2).
    int64_t steps;
    if (t >= 0) {
        const double room = (16777216.0 - a) - t;  // j * m < room
        if (!(room > 0)) return 0;
        if (m == 0) return t < 0.5 ? limit : 0;
        steps = int64_t(room / m);
        while (steps > 0 && double(steps - 1) * m >= room) --steps;
        while (double(steps) * m < room) ++steps;
    } else {
        const double room = (a + t) - 8388608.0;  // j * -m <= room
        if (!(room >= 0)) return 0;
        if (m == 0) return t > -0.5 ? limit : 0;
        steps = int64_t(room / -m) + 1;
        while (steps > 0 && double(steps - 1) * -m > room) --steps;
        while (double(steps) * -m <= room) ++steps;
    }
    return steps < limit ? steps : limit;
}

// `start` with `step` added `count` times, one float addition at a time: the same bits as a running sum
// over the skipped rows or columns of a walk. Exact arithmetic runs are crossed in one multiplication, and
// the walk stops once the sum no longer changes, so even a count in the billions costs little.
inline float accumulateSteps(float start, float step, int64_t count) {
    float v = start;
    while (count > 0) {
        const int64_t run = arithmeticSteps(v, step, count);
        if (run > 0) {
            v += float(run) * ((v + step) - v);
            count -= run;
            continue;
        }
        for (int i = 0; i < 64 && count > 0; ++i, --count) {  // a stretch without a run, then look again
            const float next = v + step;
            if (next == v || next != next) return next;
            v = next;
        }
    }
    return v;
}
