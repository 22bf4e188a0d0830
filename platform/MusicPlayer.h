// MusicPlayer: the show's music and its clock.
//
// load() decodes the whole file into memory; play() starts it looped. The position the listener hears
// is the show time: updatePosition() reads it once per frame and applies the seek keys (a plain jump of
// `step` seconds from the previous frame's time: forward wraps into the track, back stops at 0, back
// first when both are pending). Every frame the timeline asks for the spectrum at the show time: the
// same function of the decoded track whether the music plays on a device, on the wall clock or offline.
//
// Outputs:
//   Device     a sound device; the position is the frames it consumed minus one device buffer, advanced
//              by the time since the device last asked for frames (within one buffer of what is heard)
//   WallClock  no sound (--no-audio); the position runs on the wall clock from the last seek and loops
//   None       no sound, no clock: the position stays where seek() put it (offline renders)
//
// Failures that stop the show: reportError() prints "Error(%d): %s\n" captioned "Bass error!" (a box
// too, when one can be shown) and a line with the cause, then ends the process with status 0.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/AudioOutput.h"
#include "platform/AudioTrack.h"
#include "platform/SpectrumAnalyzer.h"
#include "timeline/FrameTimer.h"
#include "timeline/ShowClock.h"
#include "timeline/Spectrum.h"

enum class MusicOutput { Device, WallClock, None };

// Error codes shown in "Error(%d): ...".
enum MusicError : int {
    kMusicOk = 0,
    kMusicFileError = 2,    // missing, unreadable, not decodable, no audio, too long
    kMusicDeviceError = 8,  // no sound device could be opened
};

class MusicPlayer : public ShowClock, public SpectrumSource, public AudioFeed {
public:
    explicit MusicPlayer(MusicOutput output = MusicOutput::Device,
                         FrameTimer::Counter counter = FrameTimer::steadyCounter,
                         int64_t frequency = FrameTimer::kSteadyFrequency);
    ~MusicPlayer() override;

    // Opens the sound output first (fatal: "Can't initialize device"), then decodes the file (fatal:
    // "Can't play the file"); a track that is not 44.1 kHz stereo reopens the output at its own format.
    void load(const std::string& path);
    // load() in two steps, so the file can be decoded (decodeMp3) on another thread in between, while
    // the show loads: openOutput() first, then adopt() with what the decoding gave.
    void openOutput();
    void adopt(AudioTrack&& track, bool decodedOk, const std::string& reason);
    // Tracker modules are not supported: the same as load().
    void loadWithModuleFallback(const std::string& path);
    bool play();
    void enableMusicTime(float stepSeconds) { musicTime = true; step = stepSeconds; }
    void seek(float seconds) override;
    float updatePosition(float previous) override;
    void stopAll() override;
    // Paused: the output stops and the position stays at what was heard; resumed: playback goes on from
    // exactly there (the part of a device buffer that was never heard is played again).
    void setPaused(bool paused) override;
    void setVolume(int percent);           // 0..100
    void getSpectrum(float* magnitudes);   // 128 magnitudes of a 256-frame window at the position
    // Slides the playback rate down to 1000 Hz over 500 ms, then after 300 ms fades out over 200 ms,
    // waits for both slides to end and releases the output.
    void fadeOutAndFree();
    [[noreturn]] void reportError(const std::string& text);

    void fetchSpectrum(float showTime, float* bands) override;
    void fill(float* out, int frames) override;  // the device's pull, on its thread

    const AudioTrack& track() const { return decoded; }
    double positionSeconds();  // what is heard now, in [0, track length)
    bool sliding();

    bool musicTime = false;  // the frame loop takes the show time from here and the seek keys work
    uint32_t skip = 0;       // accumulated seek offset: always 0, the keys jump from the current position
    float step = 1.0f;       // seconds per seek key press
    int64_t position = 0;    // frame read or set by the last updatePosition
    int lastError = kMusicOk;
    std::string lastErrorReason;

private:
    struct Slide {
        double from = 0, to = 0;
        int64_t frames = 0, done = 0;  // length and progress, in output frames
        bool active() const { return done < frames; }
        double value() const { return frames > 0 ? from + (to - from) * double(done) / double(frames) : to; }
    };

    void openDevice(int rate, int channels);  // fatal when no device opens
    void setCursor(int64_t frame);  // under the output lock
    int64_t heardFrame();           // under the output lock
    int64_t wrap(int64_t frame) const;

    MusicOutput output;
    FrameTimer::Counter counter;
    int64_t frequency;
    AudioTrack decoded;
    std::unique_ptr<AudioOutput> device;
    SpectrumAnalyzer spectrum1024{1024};
    SpectrumAnalyzer spectrum256{256};

    // Playback state shared with fill(), guarded by the output lock.
    // Frames count on from the last seek without wrapping (reads wrap), so what is heard never falls
    // below the seek target: callbackEnd - one buffer >= target.
    double readPos = 0;            // frame read next, fractional while the rate slides
    int64_t callbackEnd = 0;       // readPos (whole frames) after the last fill
    int64_t callbackCount = 0;     // counter value at the last fill
    float gain = 1.0f;
    Slide rateSlide, gainSlide;
    bool stopAfterFade = false, stopped = false, playing = false;

    int64_t originFrame = 0;       // wall clock: the frame at the last seek
    int64_t originCount = 0;
};
