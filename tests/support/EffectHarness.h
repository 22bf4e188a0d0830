// Runs an effect as the timeline would, on a frame of the test's own, and compares frames.
#pragma once

#include <algorithm>

#include "pixel/PixelArray.h"
#include "pixel/Random.h"
#include "timeline/Effect.h"

inline void renderAt(Effect& fx, PixelArray& frame, float t) {
    fx.setTimeWindow(-1000.0f, 1000.0f);
    fx.isActive(t);
    fx.update();
    fx.setTarget(&frame);
    fx.render();
}

// Every word set to a distinct, position-derived value (fourth byte included).
inline void fillPattern(PixelArray& frame, uint32_t seed = 0x9E3779B9u) {
    for (uint32_t i = 0; i < frame.size; ++i) frame.pixels[i] = (i + 1) * seed;
}

// The index of the first of n words where a and b differ, -1 when none does: EXPECT_EQ(..., -1).
inline long firstDifference(const uint32_t* a, const uint32_t* b, size_t n) {
    const uint32_t* at = std::mismatch(a, a + n, b).first;
    return at == a + n ? -1 : long(at - a);
}
inline long firstDifference(const PixelArray& a, const PixelArray& b) { return firstDifference(a.pixels, b.pixels, a.size); }
// The index of the first word that is not `value`, -1 when every word is.
inline long firstOther(const PixelArray& a, uint32_t value) {
    const uint32_t* at = std::find_if(a.pixels, a.pixels + a.size, [value](uint32_t w) { return w != value; });
    return at == a.pixels + a.size ? -1 : long(at - a.pixels);
}

// How many numbers a run drew since the generator was seeded with `seed`: its next four values are found
// in a fresh sequence from the same seed (four in a row cannot match by chance).
inline long drawsSince(uint32_t seed) {
    int next[4];
    for (int& v : next) v = showRand();
    showSrand(seed);
    int window[4];
    for (int& v : window) v = showRand();
    for (long n = 0; n < 4000000; ++n) {
        if (window[n % 4] == next[0] && window[(n + 1) % 4] == next[1] && window[(n + 2) % 4] == next[2] &&
            window[(n + 3) % 4] == next[3])
            return n;
        window[n % 4] = showRand();
    }
    return -1;
}
