// Whole-frame pixel kernels against memcpy of one 512 x 384 frame measured in the same run.
// Each kernel's counter "x_memcpy" is its wall time per frame divided by memcpy's (1.0 = as fast as
// copying the frame). Run on an idle machine: the ratio is only as steady as the machine.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "bench/FrameBaseline.h"
#include "pixel/PixelOps.h"

namespace {

constexpr int kWords = int(kFrameWords);

struct Frames {
    Frames() : dst(kWords), src(kWords) {
        std::mt19937 gen(1);
        for (int i = 0; i < kWords; ++i) dst[size_t(i)] = gen(), src[size_t(i)] = gen();
    }
    std::vector<uint32_t> dst, src;
};

template <class Kernel>
void runKernel(benchmark::State& state, Kernel kernel) {
    Frames f;
    runAgainstMemcpy(state, [&] {
        kernel(f.dst.data(), f.src.data());
        benchmark::DoNotOptimize(f.dst.data());
    });
}

void BM_memcpy(benchmark::State& s) {
    runKernel(s, [](uint32_t* d, const uint32_t* src) { std::memcpy(d, src, size_t(kWords) * 4); });
}
void BM_fill(benchmark::State& s) {
    runKernel(s, [](uint32_t* d, const uint32_t*) { fillPixels(d, kWords, 0x00102030); });
}
void BM_addColor(benchmark::State& s) {
    runKernel(s, [](uint32_t* d, const uint32_t*) { addColorSaturated(d, kWords, 0x00102030); });
}
void BM_subtractColor(benchmark::State& s) {
    runKernel(s, [](uint32_t* d, const uint32_t*) { subtractColorSaturated(d, kWords, 0x00102030); });
}
void BM_copy(benchmark::State& s) {
    runKernel(s, [](uint32_t* d, const uint32_t* src) { copyPixels(d, src, kWords); });
}
void BM_addImage(benchmark::State& s) {
    runKernel(s, [](uint32_t* d, const uint32_t* src) { addPixelsSaturated(d, src, kWords); });
}
void BM_subtractImage(benchmark::State& s) {
    runKernel(s, [](uint32_t* d, const uint32_t* src) { subtractPixelsSaturated(d, src, kWords); });
}
void BM_addImageReference(benchmark::State& s) {
    runKernel(s, [](uint32_t* d, const uint32_t* src) {
        for (int i = 0; i < kWords; ++i) d[i] = reference::addBytesSaturated(d[i], src[i]);
    });
}

}  // namespace

BENCHMARK(BM_memcpy)->UseRealTime();
BENCHMARK(BM_fill)->UseRealTime();
BENCHMARK(BM_addColor)->UseRealTime();
BENCHMARK(BM_subtractColor)->UseRealTime();
BENCHMARK(BM_copy)->UseRealTime();
BENCHMARK(BM_addImage)->UseRealTime();
BENCHMARK(BM_subtractImage)->UseRealTime();
BENCHMARK(BM_addImageReference)->UseRealTime();
BENCHMARK_MAIN();
