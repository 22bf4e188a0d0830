// Where the frame loop takes the show time from. The music player is the show's real clock; without
// music, a wall clock (live) or a fixed-rate clock (headless: 1/fps per frame) stands in.
// updatePosition also applies the seek requests where the clock supports seeking (the music player).
#pragma once

#include <cstdint>

#include "timeline/FrameTimer.h"

class ShowClock {
public:
    virtual ~ShowClock() = default;
    virtual void seek(float seconds) = 0;
    // The show time for the next frame; `previous` is the time of the last one.
    virtual float updatePosition(float previous) = 0;
    virtual void stopAll() {}
    // Stops the time where it stands (and the music with it) or lets it run on from there.
    virtual void setPaused(bool paused) = 0;
};

// Seconds since the last seek, plus the seek target.
class WallClock : public ShowClock {
public:
    void seek(float seconds) override {
        origin = seconds;
        timer = FrameTimer();
    }
    float updatePosition(float) override {
        if (paused) return origin;
        timer.update();
        return float(double(origin) + double(timer.getTime()));
    }
    void setPaused(bool p) override {
        if (p == paused) return;
        seek(updatePosition(0));  // paused: the time stands at the origin; resumed: it runs on from there
        paused = p;
    }

private:
    float origin = 0;
    bool paused = false;
    FrameTimer timer;
};

// Frame k after the last seek is at origin + k / fps: the same times on every run and machine.
class FixedRateClock : public ShowClock {
public:
    explicit FixedRateClock(double fps_) : fps(fps_) {}
    void seek(float seconds) override { origin = seconds; frame = 0; }
    float updatePosition(float) override { return float(double(origin) + double(frame++) / fps); }
    void setPaused(bool) override {}  // time only moves when a frame asks for it

private:
    double fps;
    float origin = 0;
    int64_t frame = 0;
};
