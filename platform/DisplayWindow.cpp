#include "platform/DisplayWindow.h"

#include <string>

#include "platform/MessageBox.h"
#include "platform/null/NullDisplay.h"

DisplayWindow::DisplayWindow(const char* title, void* existingWindow, bool full, int w, int h, DisplayKind kind,
                             WindowLayout layout)
    : width(w), height(h), fullScreen(full) {
    closeRequest = 0;
    if (kind == DisplayKind::Null) {
        auto null = std::make_unique<NullDisplay>();
        nullBackend = null.get();
        backend = std::move(null);
        return;
    }
    std::string reason = "adopting an existing window is not supported";
    layout.fullScreen = layout.fullScreen || full;
    if (!existingWindow) backend = createWindowBackend(title, w, h, layout, reason);
    if (!backend) reportFatal("Failed to Init DirectDraw", "Error", reason);
}

DisplayWindow::~DisplayWindow() = default;

void DisplayWindow::dispatch(const WindowMessage& message) {
    if (message.type == WindowMessage::Expose) backend->redraw();
    windowProcedure(message, posted);
}

bool DisplayWindow::present(const uint32_t* pixels, int w, int h) {
    WindowMessage message;
    const bool taken = posted.take(message) || backend->poll(message);
    if (taken && message.type == WindowMessage::Quit) return false;
    backend->show(pixels, w, h);
    if (taken) dispatch(message);
    return true;
}

void DisplayWindow::idle(int milliseconds) {
    backend->wait(milliseconds);
    WindowMessage message;
    while (posted.take(message) || backend->poll(message)) {
        if (message.type == WindowMessage::Quit) closeRequest = 1;
        dispatch(message);
    }
}

void DisplayWindow::setTitle(const std::string& title) { backend->setTitle(title.c_str()); }

bool DisplayWindow::escapeDown() { return backend->escapeDown(); }

void DisplayWindow::inject(const WindowMessage& message) {
    if (nullBackend) nullBackend->inject(message);
}
