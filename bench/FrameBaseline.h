// Shared by the frame benchmarks: memcpy of one 512 x 384 frame, measured once per run, and a runner that
// reports each case's wall time per frame as the counter "x_memcpy" (1.0 = as fast as copying the frame).
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

#include "pixel/Numeric.h"

inline double memcpyFrameSeconds() {
    static const double seconds = [] {
        std::vector<uint32_t> a(kFrameWords, 1), b(kFrameWords, 2);
        const int reps = 2000;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < reps; ++i) {
            std::memcpy(a.data(), b.data(), kFrameWords * 4);
            benchmark::ClobberMemory();
        }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / reps;
    }();
    return seconds;
}

// Runs `frame()` once per iteration; Setup state lives in the caller's lambda captures.
template <class Frame>
void runAgainstMemcpy(benchmark::State& state, Frame frame) {
    const double base = memcpyFrameSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        frame();
        benchmark::ClobberMemory();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameWords) * 4);
    state.counters["x_memcpy"] = seconds / double(state.iterations()) / base;
}
