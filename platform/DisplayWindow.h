// DisplayWindow: puts frames on screen and turns the user's keys into request flags.
//
// present() shows one frame (one texture update, one present) and then takes and dispatches at most one
// pending message, so input is handled as many frames late as messages are queued before it. The Window
// kind opens a real window whose client area is exactly the frame, shown unscaled; the Null kind shows
// nothing and takes messages only from inject() (headless runs and tests).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/WindowMessages.h"

class DisplayBackend;
class NullDisplay;

enum class DisplayKind { Window, Null };

class DisplayWindow {
public:
    // A window that cannot be opened is fatal: "Failed to Init DirectDraw" / "Error", exit status 0.
    // `existingWindow` must be null (adopting a window is not supported).
    DisplayWindow(const char* title, void* existingWindow, bool fullScreen, int width, int height,
                  DisplayKind kind = DisplayKind::Window);
    ~DisplayWindow();

    // Returns false, showing nothing, when the message taken is Quit; true otherwise.
    bool present(const uint32_t* pixels, int width, int height);
    // The frame loop's asynchronous test: Escape down now or pressed since the last query.
    bool escapeDown();
    // Null kind only: queues a message as if the user had produced it.
    void inject(const WindowMessage& message);

    int width, height;
    bool fullScreen;

private:
    std::unique_ptr<DisplayBackend> backend;
    NullDisplay* nullBackend = nullptr;  // == backend for the Null kind
    MessageQueue posted;                 // messages the window procedure posts to itself
};
