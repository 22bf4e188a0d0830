// Encodes float PCM (interleaved, -1..1) into an MP3 file with libmp3lame. Used by the asset generator
// for the show's music and by tests and benchmarks for their own fixtures.
#pragma once

#include <string>
#include <vector>

struct Mp3Settings {
    int rate = 44100;
    int channels = 2;   // 1 or 2
    int kbps = 160;     // constant bit rate
    int quality = 5;    // LAME's 0 (best, slowest) .. 9 (fastest)
    // Write the LAME info tag, which tells decoders the encoder delay and padding: decoded audio then
    // starts at the first input sample instead of a few dozen milliseconds late.
    bool gapless = true;
    int lowpassHz = 0;  // 0: LAME's own choice for the bit rate (about 17 kHz at 160 kbps)
};

bool encodeMp3(const std::string& path, const std::vector<float>& samples, const Mp3Settings& settings,
               std::string& reason);
