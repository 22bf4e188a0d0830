// The show's random generator: the classic C library linear congruence, so a seed gives the same
// sequence on every platform. state = state * 214013 + 2531011; value = (state >> 16) & 0x7FFF.
// One global state, seeded once by the Timeline; effects draw from it in call order, so their output
// depends on that order.
#pragma once

#include <cstdint>

constexpr int kShowRandMax = 0x7FFF;

void showSrand(uint32_t seed);
int showRand();  // 0 .. 32767
