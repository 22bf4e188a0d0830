#include "platform/null/NullDisplay.h"

bool NullDisplay::escapeDown() {
    const bool pressed = escapePressed;
    escapePressed = false;
    return pressed;
}

void NullDisplay::inject(const WindowMessage& message) {
    if (message.type == WindowMessage::KeyDown && message.key == kKeyEscape) escapePressed = true;
    input.post(message);
}
