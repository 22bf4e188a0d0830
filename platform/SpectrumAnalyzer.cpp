#include "platform/SpectrumAnalyzer.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>

SpectrumAnalyzer::SpectrumAnalyzer(int size) : n(size), window(size_t(size)) {
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < n; ++i) window[size_t(i)] = float(0.5 - 0.5 * std::cos(2.0 * pi * i / n));
    input = fftwf_alloc_real(size_t(n));
    fftwf_complex* out = fftwf_alloc_complex(size_t(n / 2 + 1));
    output = out;
    plan = fftwf_plan_dft_r2c_1d(n, input, out, FFTW_ESTIMATE | FFTW_NO_SIMD);
}

SpectrumAnalyzer::~SpectrumAnalyzer() {
    fftwf_destroy_plan(static_cast<fftwf_plan>(plan));
    fftwf_free(output);
    fftwf_free(input);
}

void SpectrumAnalyzer::analyze(const AudioTrack& track, int64_t endFrame, float* magnitudes) {
    const int channels = std::max(track.channels, 1);
    const int64_t frames = track.frames();
    const float channelScale = 1.0f / float(channels);
    const int64_t first = endFrame - n;
    for (int i = 0; i < n; ++i) {
        const int64_t f = first + i;
        float mono = 0.0f;
        if (f >= 0 && f < frames) {
            const float* s = &track.samples[size_t(f) * size_t(channels)];
            for (int c = 0; c < channels; ++c) mono += s[c];
            mono *= channelScale;
        }
        input[i] = mono * window[size_t(i)];
    }
    fftwf_execute(static_cast<fftwf_plan>(plan));
    const fftwf_complex* out = static_cast<const fftwf_complex*>(output);
    const double scale = 2.0 / n;
    for (int k = 0; k < n / 2; ++k)
        magnitudes[k] = float(std::sqrt(double(out[k][0]) * out[k][0] + double(out[k][1]) * out[k][1]) * scale);
}
