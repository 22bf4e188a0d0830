// FrameTimer: seconds since construction from a monotonic counter, kept as a float.
// The counter is injectable so tests can drive the clock by hand.
#pragma once

#include <cstdint>

class FrameTimer {
public:
    using Counter = int64_t (*)();        // counts since an arbitrary origin
    static int64_t steadyCounter();       // nanoseconds of the monotonic clock
    static constexpr int64_t kSteadyFrequency = 1000000000;

    explicit FrameTimer(Counter counter = steadyCounter, int64_t frequency = kSteadyFrequency);

    // time = (current count - start count) / frequency, divided in double, stored as float.
    void update();
    void setTime(float t) { time = t; }
    float getTime() const { return time; }

    float time = 0;

private:
    Counter counter;
    int64_t frequency;
    int64_t startCount;
    int64_t currentCount;
};
