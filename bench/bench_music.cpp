// Music start-up and per-frame costs: decoding a two-minute MP3 whole at load, and one spectrum.
// The track is encoded once, at the start of the run, from a synthesised chord.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/AudioTrack.h"
#include "platform/SpectrumAnalyzer.h"
#include "tools/assetgen/Mp3Encoder.h"

namespace {

const std::string& twoMinuteTrack() {
    static const std::string path = [] {
        const std::string p = (std::filesystem::temp_directory_path() / "softshow-bench-2min.mp3").string();
        const int rate = 44100, frames = rate * 120;
        std::vector<float> samples(size_t(frames) * 2);
        for (int i = 0; i < frames; ++i) {
            const double t = double(i) / rate;
            const double v = 0.2 * (std::sin(2 * M_PI * 220 * t) + std::sin(2 * M_PI * 277.2 * t) +
                                    std::sin(2 * M_PI * 329.6 * t));
            samples[size_t(i) * 2] = samples[size_t(i) * 2 + 1] = float(v);
        }
        std::string reason;
        if (!encodeMp3(p, samples, {rate, 2, 160, 7}, reason)) std::fprintf(stderr, "%s\n", reason.c_str());
        return p;
    }();
    return path;
}

void BM_DecodeTwoMinuteTrack(benchmark::State& state) {
    const std::string& path = twoMinuteTrack();
    for (auto _ : state) {
        AudioTrack track;
        std::string reason;
        if (!decodeMp3(path, track, reason)) state.SkipWithError(reason.c_str());
        benchmark::DoNotOptimize(track.samples.data());
    }
}

void BM_Spectrum1024(benchmark::State& state) {
    AudioTrack track;
    std::string reason;
    decodeMp3(twoMinuteTrack(), track, reason);
    SpectrumAnalyzer fft(1024);
    float bands[512];
    int64_t end = 44100;
    for (auto _ : state) {
        fft.analyze(track, end, bands);
        end = (end + 735) % track.frames();  // one 60 fps frame later
        benchmark::DoNotOptimize(bands);
    }
}

}  // namespace

BENCHMARK(BM_DecodeTwoMinuteTrack)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Spectrum1024)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
