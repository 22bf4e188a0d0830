#include "platform/MusicPlayer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <utility>

#include "platform/MessageBox.h"
#include "platform/WindowMessages.h"

namespace {

// Holds the output lock for a scope; no-op without a device.
class Guard {
public:
    explicit Guard(AudioOutput* out) : output(out) { if (output) output->lock(); }
    ~Guard() { if (output) output->unlock(); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    AudioOutput* output;
};

}  // namespace

MusicPlayer::MusicPlayer(MusicOutput out, FrameTimer::Counter c, int64_t f)
    : output(out), counter(c), frequency(f) {}

MusicPlayer::~MusicPlayer() { device.reset(); }

void MusicPlayer::reportError(const std::string& text) {
    char message[80];
    std::snprintf(message, sizeof message, "Error(%d): %s\n", lastError, text.c_str());
    std::string reason = lastErrorReason;
    if (lastError == kMusicDeviceError) reason += "; run with --no-audio to play without sound";
    device.reset();
    reportFatal(message, "Bass error!", reason);
}

void MusicPlayer::load(const std::string& path) {
    openOutput();
    AudioTrack track;
    std::string reason;
    const bool ok = decodeMp3(path, track, reason);
    adopt(std::move(track), ok, reason);
}

void MusicPlayer::openOutput() {
    // The device first, at the usual CD format: a machine without one says so whatever the file holds.
    if (output == MusicOutput::Device) openDevice(44100, 2);
}

void MusicPlayer::adopt(AudioTrack&& track, bool decodedOk, const std::string& reason) {
    if (!decodedOk) {
        lastErrorReason = reason;
        lastError = kMusicFileError;
        reportError("Can't play the file");
    }
    decoded = std::move(track);
    if (output == MusicOutput::Device && (decoded.rate != 44100 || decoded.channels != 2)) {
        device.reset();  // reopened at the track's own format, which the backend converts
        openDevice(decoded.rate, decoded.channels);
    }
    seek(0);
}

void MusicPlayer::openDevice(int rate, int channels) {
    device = openAudioOutput(rate, channels, *this, lastErrorReason);
    if (!device) {
        lastError = kMusicDeviceError;
        reportError("Can't initialize device");
    }
}

void MusicPlayer::loadWithModuleFallback(const std::string& path) { load(path); }

bool MusicPlayer::play() {
    if (decoded.frames() == 0) return false;
    {
        Guard lock(device.get());
        playing = true;
        stopped = false;
        callbackCount = counter();
    }
    originCount = counter();
    if (device) device->pause(false);
    return true;
}

int64_t MusicPlayer::wrap(int64_t frame) const {
    const int64_t length = decoded.frames();
    if (length <= 0) return 0;
    frame %= length;
    return frame < 0 ? frame + length : frame;
}

void MusicPlayer::setCursor(int64_t frame) {
    readPos = double(frame);
    callbackEnd = frame + (device ? device->bufferFrames() : 0);  // nothing of the new place heard yet
    callbackCount = counter();
    originFrame = frame;
    originCount = callbackCount;
}

void MusicPlayer::seek(float seconds) {
    Guard lock(device.get());
    // Any float is taken: beyond +-2^62 frames the position is first reduced into the track (exactly, by
    // fmod), and what is not a number at all seeks to the start.
    double frame = std::floor((double(skip) + double(seconds)) * decoded.rate);
    if (!std::isfinite(frame) || decoded.frames() <= 0) frame = 0;
    if (std::fabs(frame) >= 0x1p62) frame = std::fmod(frame, double(decoded.frames()));
    setCursor(wrap(int64_t(frame)));
    position = originFrame;
}

int64_t MusicPlayer::heardFrame() {
    const int64_t now = counter();
    switch (output) {
        case MusicOutput::Device: {
            if (!playing || stopped) return int64_t(readPos);
            const int64_t buffer = device ? device->bufferFrames() : 0;
            const int64_t since = int64_t(double(now - callbackCount) * decoded.rate / double(frequency));
            return callbackEnd - buffer + std::clamp<int64_t>(since, 0, buffer);
        }
        case MusicOutput::WallClock:
            if (!playing) return originFrame;
            return originFrame + int64_t(double(now - originCount) * decoded.rate / double(frequency));
        case MusicOutput::None: break;
    }
    return originFrame;
}

double MusicPlayer::positionSeconds() {
    Guard lock(device.get());
    return decoded.rate > 0 ? double(wrap(heardFrame())) / decoded.rate : 0.0;
}

float MusicPlayer::updatePosition(float previous) {
    Guard lock(device.get());
    position = wrap(heardFrame());
    const double length = decoded.seconds();
    if (seekBackRequest) {
        seekBackRequest = 0;
        const double target = std::max(0.0, double(previous) - double(step));
        setCursor(wrap(int64_t(target * decoded.rate)));
        position = originFrame;
    }
    if (seekForwardRequest) {
        seekForwardRequest = 0;
        double target = double(previous) + double(step);
        if (length > 0) target = std::fmod(target, length);
        setCursor(wrap(int64_t(target * decoded.rate)));
        position = originFrame;
    }
    return decoded.rate > 0 ? float(double(position) / decoded.rate) : 0.0f;
}

void MusicPlayer::setPaused(bool paused) {
    if (!paused) {
        play();
        return;
    }
    {
        Guard lock(device.get());
        const int64_t heard = wrap(heardFrame());
        playing = false;
        setCursor(heard);
        position = heard;
    }
    if (device) device->pause(true);
}

void MusicPlayer::stopAll() {
    {
        Guard lock(device.get());
        stopped = true;
    }
    if (device) device->pause(true);
}

void MusicPlayer::setVolume(int percent) {
    Guard lock(device.get());
    gain = float(std::clamp(percent, 0, 100)) / 100.0f;
}

void MusicPlayer::fetchSpectrum(float showTime, float* bands) {
    if (decoded.frames() == 0) return;
    const double seconds = std::fmod(std::max(0.0, double(showTime)), decoded.seconds());
    spectrum1024.analyze(decoded, int64_t(seconds * decoded.rate), bands);
}

void MusicPlayer::getSpectrum(float* magnitudes) {
    if (decoded.frames() == 0) return;
    int64_t frame;
    {
        Guard lock(device.get());
        frame = wrap(heardFrame());
    }
    spectrum256.analyze(decoded, frame, magnitudes);
}

void MusicPlayer::fill(float* out, int frames) {
    const int channels = std::max(decoded.channels, 1);
    const int64_t length = decoded.frames();
    if (length == 0 || stopped || !playing) {
        std::fill_n(out, size_t(frames) * size_t(channels), 0.0f);
        return;
    }
    // Slides move once per device buffer (about 23 ms): fine enough for fades of 200 ms and more.
    const double rate = rateSlide.frames > 0 ? rateSlide.value() : double(decoded.rate);
    const double advance = rate / double(decoded.rate);
    const float level = gain * float(gainSlide.frames > 0 ? gainSlide.value() : 1.0);
    for (int i = 0; i < frames; ++i) {
        const float* src = &decoded.samples[size_t(wrap(int64_t(readPos))) * size_t(channels)];
        for (int c = 0; c < channels; ++c) out[i * channels + c] = src[c] * level;
        readPos += advance;
    }
    if (rateSlide.active()) rateSlide.done = std::min(rateSlide.frames, rateSlide.done + frames);
    if (gainSlide.active()) {
        gainSlide.done = std::min(gainSlide.frames, gainSlide.done + frames);
        if (!gainSlide.active() && stopAfterFade) stopped = true;
    }
    callbackEnd = int64_t(readPos);
    callbackCount = counter();
}

bool MusicPlayer::sliding() {
    Guard lock(device.get());
    return device && !stopped && (rateSlide.active() || gainSlide.active());
}

void MusicPlayer::fadeOutAndFree() {
    using namespace std::chrono_literals;
    const int64_t rate = decoded.rate;
    {
        Guard lock(device.get());
        rateSlide = {double(rate), 1000.0, rate / 2, 0};  // 500 ms
    }
    std::this_thread::sleep_for(300ms);
    {
        Guard lock(device.get());
        gainSlide = {1.0, 0.0, rate / 5, 0};  // 200 ms, then the channel stops
        stopAfterFade = true;
    }
    for (int waited = 0; sliding() && waited < 2000; ++waited) std::this_thread::sleep_for(1ms);
    device.reset();
    playing = false;
}
