// Spectrum of a decoded track at a position: the mono mix of the N frames that end at the position,
// times a periodic Hann window, a real FFT, and bin magnitudes 2 |X_k| / N for k < N / 2, lowest first.
// A full-scale sine centred on a bin reads 0.5 there (the window halves it); silence reads 0. Frames
// before the track's start count as silence.
//
// The FFT plan is made once, without SIMD codelets and by estimate rather than measurement, so the
// same input gives the same bits on every x86-64 machine; analysing allocates nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/AudioTrack.h"

class SpectrumAnalyzer {
public:
    explicit SpectrumAnalyzer(int size);  // size: a power of two, 1024 for the show
    ~SpectrumAnalyzer();
    SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
    SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

    int size() const { return n; }
    // Writes size() / 2 magnitudes for the frames [endFrame - size(), endFrame) of the track.
    void analyze(const AudioTrack& track, int64_t endFrame, float* magnitudes);

private:
    int n;
    std::vector<float> window;
    float* input;     // FFTW-aligned, n floats
    void* output;     // FFTW-aligned, n / 2 + 1 complex floats
    void* plan;
};
