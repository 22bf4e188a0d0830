// Synthesised audio and MP3 fixtures made at test time.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "tools/assetgen/Mp3Encoder.h"

inline std::vector<float> sineWave(double hz, double amplitude, double seconds, int rate, int channels) {
    const size_t frames = size_t(seconds * rate);
    std::vector<float> samples(frames * size_t(channels));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[i * size_t(channels) + size_t(c)] =
                float(amplitude * std::sin(2.0 * 3.14159265358979323846 * hz * double(i) / rate));
    return samples;
}

// Writes the samples as an MP3 at `path`; returns the path, or "" when encoding failed.
inline std::string writeMp3(const std::string& path, const std::vector<float>& samples, Mp3Settings settings) {
    std::string reason;
    return encodeMp3(path, samples, settings, reason) ? path : std::string();
}
