#include "pixel/Random.h"

namespace {
uint32_t randomState = 1;  // the C library's state before any seeding
}

void showSrand(uint32_t seed) { randomState = seed; }

int showRand() {
    randomState = randomState * 214013u + 2531011u;
    return int((randomState >> 16) & 0x7FFFu);
}
