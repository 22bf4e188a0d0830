// MP3 loading: a file decoded whole, then a seek and the spectrum at a time the input chooses.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "platform/AudioTrack.h"
#include "platform/MusicPlayer.h"
#include "timeline/Spectrum.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The input is the file; its last four bytes are also the show time (a float, any bits), so real
    // files serve as seeds unchanged.
    if (size < 4) return 0;
    float time;
    std::memcpy(&time, data + size - 4, 4);
    const std::string path = fuzz::asFile("input.mp3", data, size);

    AudioTrack track;
    std::string reason;
    if (!decodeMp3(path, track, reason)) {
        fuzz::require(reason.find(path) != std::string::npos, "a refusal names the file");
        return 0;
    }
    fuzz::require(track.frames() > 0 && track.rate > 0 && track.channels > 0, "a decoded track holds audio");
    fuzz::require(track.seconds() <= kMaxTrackSeconds + 1, "a track is never longer than allowed");

    MusicPlayer music(MusicOutput::None);
    music.adopt(std::move(track), true, "");
    music.seek(time);
    const float heard = music.updatePosition(0);
    float bands[kSpectrumBands];
    for (float t : {time, heard, -time}) {
        music.fetchSpectrum(t, bands);
        for (float b : bands) fuzz::require(std::isfinite(b) && b >= 0, "spectrum magnitudes are finite and not negative");
    }
    return 0;
}
