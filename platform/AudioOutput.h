// A sound device that pulls samples from a feed on its own thread. Internal to platform/.
#pragma once

#include <memory>
#include <string>

class AudioFeed {
public:
    virtual ~AudioFeed() = default;
    // Called on the device's thread, under the device lock: write `frames` interleaved float frames.
    virtual void fill(float* out, int frames) = 0;
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    virtual void pause(bool paused) = 0;
    // Excludes fill() while held, so the main thread can move the feed's cursor.
    virtual void lock() = 0;
    virtual void unlock() = 0;
    // Frames per device buffer: how far ahead of the listener the consumed samples run.
    virtual int bufferFrames() const = 0;
};

// Opens the default device for float frames at `rate` and `channels` (converted by the backend to what
// the hardware plays), paused. Null with `reason` when there is no device.
std::unique_ptr<AudioOutput> openAudioOutput(int rate, int channels, AudioFeed& feed, std::string& reason);
