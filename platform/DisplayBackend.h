// What a presentation backend provides to DisplayWindow. Internal to platform/.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/WindowMessages.h"

class DisplayBackend {
public:
    virtual ~DisplayBackend() = default;
    // Shows width x height words (0x00RRGGBB, top row first). Failures are silent: nothing is shown.
    virtual void show(const uint32_t* pixels, int width, int height) = 0;
    // Takes at most one pending input message; false when none is pending.
    virtual bool poll(WindowMessage& message) = 0;
    // Escape down now, or pressed since the last call.
    virtual bool escapeDown() = 0;
    // Blocks until input is pending or `milliseconds` pass, using no processor time meanwhile.
    virtual void wait(int milliseconds) = 0;
    // Shows the last frame again (after an Expose, or while paused).
    virtual void redraw() = 0;
    virtual void setTitle(const char* title) = 0;
};

// How a real window shows the 512 x 384 frame; the frame's pixels never change.
struct WindowLayout {
    int scale = 0;            // window size in frame pixels; 0: the largest that fits in 80% of the desktop
    bool smooth = false;      // linear filtering instead of nearest-neighbour
    bool fullScreen = false;  // the desktop's resolution, the frame as large as fits, black bars
};

// The real window, or null with `reason` set when the backend cannot open one (or is not built in).
std::unique_ptr<DisplayBackend> createWindowBackend(const char* title, int width, int height,
                                                    const WindowLayout& layout, std::string& reason);
