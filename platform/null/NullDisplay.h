// The display that shows nothing: headless runs and tests. Input comes only from inject().
#pragma once

#include <string>

#include "platform/DisplayBackend.h"

class NullDisplay : public DisplayBackend {
public:
    void show(const uint32_t*, int, int) override { ++framesShown; }
    bool poll(WindowMessage& message) override { return input.take(message); }
    bool escapeDown() override;
    void wait(int milliseconds) override;  // sleeps while nothing was injected
    void redraw() override { ++redraws; }
    void setTitle(const char* t) override { title = t; }
    void inject(const WindowMessage& message);

    long framesShown = 0;
    long redraws = 0;
    std::string title;

private:
    MessageQueue input;
    bool escapePressed = false;  // latched by an injected Escape until the next escapeDown()
};
