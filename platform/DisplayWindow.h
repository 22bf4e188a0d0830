// DisplayWindow: puts frames on screen and turns the user's keys into request flags.
//
// present() shows one frame (one texture update, one present) and then takes and dispatches at most one
// pending message, so input is handled as many frames late as messages are queued before it. The Window
// kind opens a real, resizable window that shows the 512 x 384 frame scaled as large as fits, aspect
// kept, black bars (WindowLayout: integer scale, smoothing, full screen; F11 and Alt+Enter toggle full
// screen); the Null kind shows nothing and takes messages only from inject() (headless runs and tests).
// While the show is paused, idle() waits for input without using the processor and redraws on expose.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/DisplayBackend.h"
#include "platform/WindowMessages.h"

class NullDisplay;

enum class DisplayKind { Window, Null };

class DisplayWindow {
public:
    // A window that cannot be opened is fatal: "Failed to Init DirectDraw" / "Error", exit status 0.
    // `existingWindow` must be null (adopting a window is not supported).
    DisplayWindow(const char* title, void* existingWindow, bool fullScreen, int width, int height,
                  DisplayKind kind = DisplayKind::Window, WindowLayout layout = {});
    ~DisplayWindow();

    // Returns false, showing nothing, when the message taken is Quit; true otherwise.
    bool present(const uint32_t* pixels, int width, int height);
    // Waits up to `milliseconds` for input, then dispatches every pending message; shows nothing new.
    void idle(int milliseconds);
    void setTitle(const std::string& title);
    // The frame loop's asynchronous test: Escape down now or pressed since the last query.
    bool escapeDown();
    // Null kind only: queues a message as if the user had produced it.
    void inject(const WindowMessage& message);
    NullDisplay* null() { return nullBackend; }

    int width, height;
    bool fullScreen;

private:
    void dispatch(const WindowMessage& message);

    std::unique_ptr<DisplayBackend> backend;
    NullDisplay* nullBackend = nullptr;  // == backend for the Null kind
    MessageQueue posted;                 // messages the window procedure posts to itself
};
