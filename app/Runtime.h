// The program's run modes: the live frame loop (a window, or headless), and the offline renders that
// write PNGs or measure speed. All of them drive the timeline with external time.
#pragma once

#include <cstdio>
#include <functional>

#include "app/CommandLine.h"
#include "platform/AudioTrack.h"
#include "timeline/ShowClock.h"
#include "platform/DisplayWindow.h"
#include "timeline/Timeline.h"

constexpr float kShowEndTime = 122.0f;

// Runs until Escape (down or pressed since the last look, tested before the first pass and after every
// pass), the close request, SIGINT or SIGTERM, or the first pass after a frame at or past the end time.
// Up writes the time of the previous frame to `syncLog` as "%.2f\n", flushed at once so a killed run
// keeps its marks. Space pauses (the clock and the music stop, the last frame stays, the loop waits for
// input) and resumes; Page Up and Page Down jump 10 s forth and back, Home to 0, Left and Right 2 s
// (while playing the music player applies those). Returns the number of frames rendered.
//
// `live` (optional) adds the authoring aids: a loop range, and a function called before every pass that
// may replace the show (it returns true when it did, so a paused picture is drawn again).
struct LiveControls {
    float loopFrom = 0, loopTo = 0;  // loopTo > loopFrom: a frame at or past loopTo seeks back to loopFrom
    std::function<bool(DisplayWindow&)> beforeFrame;
};
long runFrameLoop(DisplayWindow& display, Timeline& timeline, ShowClock& clock, std::FILE* syncLog,
                  const LiveControls* live = nullptr);

// Offline modes; each returns the process exit status.
int renderFrames(Timeline& timeline, const Options& options);  // --frames
int renderShot(Timeline& timeline, const Options& options);    // --shot
int runBench(Timeline& timeline, const Options& options);      // --bench
// --export: frames from + k / fps for from + k / fps < to, with `track` (may be null: no sound).
int renderExport(Timeline& timeline, const Options& options, const AudioTrack* track);

// The time of offline frame k: from + k / fps, in double, stored as float.
inline float offlineFrameTime(double from, double fps, long k) { return float(from + double(k) / fps); }
