#include "timeline/FrameTimer.h"

#include <chrono>

int64_t FrameTimer::steadyCounter() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

FrameTimer::FrameTimer(Counter c, int64_t f)
    : counter(c), frequency(f), startCount(c()), currentCount(startCount) {}

void FrameTimer::update() {
    currentCount = counter();
    time = float(double(currentCount - startCount) / double(frequency));
}
