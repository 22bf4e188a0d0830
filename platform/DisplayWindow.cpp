#include "platform/DisplayWindow.h"

#include <string>

#include "platform/DisplayBackend.h"
#include "platform/MessageBox.h"
#include "platform/null/NullDisplay.h"

DisplayWindow::DisplayWindow(const char* title, void* existingWindow, bool full, int w, int h, DisplayKind kind)
    : width(w), height(h), fullScreen(full) {
    closeRequest = 0;
    if (kind == DisplayKind::Null) {
        auto null = std::make_unique<NullDisplay>();
        nullBackend = null.get();
        backend = std::move(null);
        return;
    }
    std::string reason = "adopting an existing window is not supported";
    if (!existingWindow) backend = createWindowBackend(title, w, h, full, reason);
    if (!backend) reportFatal("Failed to Init DirectDraw", "Error", reason);
}

DisplayWindow::~DisplayWindow() = default;

bool DisplayWindow::present(const uint32_t* pixels, int w, int h) {
    WindowMessage message;
    const bool taken = posted.take(message) || backend->poll(message);
    if (taken && message.type == WindowMessage::Quit) return false;
    backend->show(pixels, w, h);
    if (taken) windowProcedure(message, posted);
    return true;
}

bool DisplayWindow::escapeDown() { return backend->escapeDown(); }

void DisplayWindow::inject(const WindowMessage& message) {
    if (nullBackend) nullBackend->inject(message);
}
