// A decoded music track held whole in memory: interleaved 32-bit float samples in -1..1, `channels`
// per frame, at `rate` frames per second.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AudioTrack {
    std::vector<float> samples;
    int rate = 0;
    int channels = 0;
    int64_t frames() const { return channels > 0 ? int64_t(samples.size()) / channels : 0; }
    double seconds() const { return rate > 0 ? double(frames()) / rate : 0.0; }
};

// The longest track we accept; longer files are refused rather than filling memory.
constexpr double kMaxTrackSeconds = 15 * 60;

// Decodes a whole MP3 file. On failure returns false with a reason naming the file and the cause:
// missing or unreadable, not an MPEG audio stream, a decoding error, no audio at all, or too long.
bool decodeMp3(const std::string& path, AudioTrack& track, std::string& reason);
