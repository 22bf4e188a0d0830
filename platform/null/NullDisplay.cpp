#include "platform/null/NullDisplay.h"

#include <algorithm>
#include <chrono>
#include <thread>

void NullDisplay::wait(int milliseconds) {
    if (input.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(std::min(milliseconds, 10)));
}

bool NullDisplay::escapeDown() {
    const bool pressed = escapePressed;
    escapePressed = false;
    return pressed;
}

void NullDisplay::inject(const WindowMessage& message) {
    if (message.type == WindowMessage::KeyDown && message.key == kKeyEscape) escapePressed = true;
    input.post(message);
}
