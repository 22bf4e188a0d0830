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
};

// The real window, or null with `reason` set when the backend cannot open one (or is not built in).
std::unique_ptr<DisplayBackend> createWindowBackend(const char* title, int width, int height, bool fullScreen,
                                                    std::string& reason);
