// The SDL2 window backend: a resizable window, a streaming texture in SDL_PIXELFORMAT_ARGB8888 (the
// frame's own word layout, so no conversion) drawn without blending through the renderer's logical size
// (the frame as large as fits, aspect kept, black bars; nearest-neighbour unless smoothing is asked for),
// and SDL's event queue translated into window messages one at a time. F11 and Alt+Enter toggle full
// screen at the desktop's resolution here, below the show's own keys.
#include <SDL.h>

#include "platform/DisplayBackend.h"
#include "platform/MessageBox.h"
#include "platform/Versions.h"

namespace {

// Escape presses are latched as SDL pumps them into its queue, so the frame loop's "pressed since the
// last query" test sees a press even when its message is still queued behind others.
int SDLCALL watchEscape(void* latch, SDL_Event* event) {
    if (event->type == SDL_KEYDOWN && event->key.keysym.sym == SDLK_ESCAPE) *static_cast<bool*>(latch) = true;
    return 1;
}

int virtualKey(SDL_Keycode key) {
    switch (key) {
        case SDLK_ESCAPE: return kKeyEscape;
        case SDLK_LEFT: return kKeyLeft;
        case SDLK_UP: return kKeyUp;
        case SDLK_RIGHT: return kKeyRight;
        case SDLK_SPACE: return kKeySpace;
        case SDLK_PAGEUP: return kKeyPageUp;
        case SDLK_PAGEDOWN: return kKeyPageDown;
        case SDLK_HOME: return kKeyHome;
        default: return 0;
    }
}

class SdlDisplay : public DisplayBackend {
public:
    ~SdlDisplay() override {
        SDL_DelEventWatch(watchEscape, &escapePressed);
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool open(const char* title, int w, int h, const WindowLayout& layout, std::string& reason) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // SIGINT and SIGTERM are ours (platform/Process)
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            fail("SDL video: ", reason);
            reason += "; run with --headless to render without a window";
            return false;
        }
        if (!displayReachable(reason)) return false;
        const int scale = layout.scale > 0 ? layout.scale : fittingScale(w, h);
        const Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE;
        window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w * scale, h * scale, flags);
        if (!window) return fail("SDL_CreateWindow: ", reason);
        SDL_SetWindowMinimumSize(window, w / 4, h / 4);
        renderer = SDL_CreateRenderer(window, -1, 0);
        if (!renderer) return fail("SDL_CreateRenderer: ", reason);
        SDL_RenderSetLogicalSize(renderer, w, h);  // scaled to fit, aspect kept, the rest black
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, layout.smooth ? "linear" : "nearest");  // read at creation
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
        if (!texture) return fail("SDL_CreateTexture: ", reason);
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);  // the fourth byte is not alpha here
        if (layout.fullScreen) toggleFullScreen();
        SDL_AddEventWatch(watchEscape, &escapePressed);
        return true;
    }

    void show(const uint32_t* pixels, int w, int) override {  // the texture has the frame's size
        SDL_UpdateTexture(texture, nullptr, pixels, w * 4);
        redraw();
    }

    void redraw() override {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
    }

    void wait(int milliseconds) override { SDL_WaitEventTimeout(nullptr, milliseconds); }

    void setTitle(const char* title) override { SDL_SetWindowTitle(window, title); }

    bool poll(WindowMessage& m) override {
        SDL_Event e;
        if (!SDL_PollEvent(&e)) return false;
        switch (e.type) {
            case SDL_QUIT: m = {WindowMessage::Close, 0}; break;  // the last window closed
            case SDL_WINDOWEVENT:
                switch (e.window.event) {
                    case SDL_WINDOWEVENT_CLOSE: m = {WindowMessage::Close, 0}; break;
                    case SDL_WINDOWEVENT_EXPOSED:
                    case SDL_WINDOWEVENT_SIZE_CHANGED: m = {WindowMessage::Expose, 0}; break;
                    default: m = {WindowMessage::Other, 0}; break;
                }
                break;
            case SDL_KEYDOWN: {
                const SDL_Keycode key = e.key.keysym.sym;
                const bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
                if (key == SDLK_F11 || (alt && (key == SDLK_RETURN || key == SDLK_KP_ENTER))) {
                    if (!e.key.repeat) toggleFullScreen();
                    m = {WindowMessage::Other, 0};
                } else {
                    m = {WindowMessage::KeyDown, virtualKey(key)};
                }
                break;
            }
            case SDL_MOUSEMOTION:
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: m = {WindowMessage::Mouse, 0}; break;
            default: m = {WindowMessage::Other, 0}; break;
        }
        return true;
    }

    bool escapeDown() override {
        SDL_PumpEvents();
        const bool down = SDL_GetKeyboardState(nullptr)[SDL_SCANCODE_ESCAPE] != 0 || escapePressed;
        escapePressed = false;
        return down;
    }

private:
    // The largest whole factor whose window fits in 80% of the desktop; 1 when nothing larger fits.
    static int fittingScale(int w, int h) {
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return 1;
        int scale = 1;
        while (w * (scale + 1) * 5 <= desktop.w * 4 && h * (scale + 1) * 5 <= desktop.h * 4) ++scale;
        return scale;
    }

    // Full screen at the desktop's resolution. The window is also moved and sized to the desktop by hand,
    // so it covers the screen where no window manager acts on the full-screen request; leaving restores
    // the windowed place and size.
    void toggleFullScreen() {
        SDL_Rect desktop;
        if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &desktop) != 0) return;
        fullScreen = !fullScreen;
        if (fullScreen) {
            SDL_GetWindowPosition(window, &windowed.x, &windowed.y);
            SDL_GetWindowSize(window, &windowed.w, &windowed.h);
            SDL_SetWindowPosition(window, desktop.x, desktop.y);
            SDL_SetWindowSize(window, desktop.w, desktop.h);
            SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        } else {
            SDL_SetWindowFullscreen(window, 0);
            SDL_SetWindowSize(window, windowed.w, windowed.h);
            SDL_SetWindowPosition(window, windowed.x, windowed.y);
        }
        SDL_ShowCursor(fullScreen ? SDL_DISABLE : SDL_ENABLE);
        redraw();
    }

    // SDL falls back to drivers that show nothing when no display is reachable; unless one was asked for
    // by name (SDL_VIDEODRIVER), that is a failure to open a window.
    static bool displayReachable(std::string& reason) {
        const char* driver = SDL_GetCurrentVideoDriver();
        const char* asked = SDL_getenv("SDL_VIDEODRIVER");
        if (!driver || (asked && *asked)) return true;
        const std::string name = driver;
        if (name != "offscreen" && name != "dummy") return true;
        const char* x11 = SDL_getenv("DISPLAY");
        const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
        const bool unset = !(x11 && *x11) && !(wayland && *wayland);
        reason = std::string("no display to open a window on (") +
                 (unset ? "DISPLAY and WAYLAND_DISPLAY are unset" : "the display named by DISPLAY or WAYLAND_DISPLAY could not be reached") +
                 "; SDL offered only its \"" + name + "\" driver); run with --headless to render without a window";
        return false;
    }

    bool fail(const char* what, std::string& reason) {
        reason = std::string(what) + SDL_GetError();
        return false;
    }

    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    bool escapePressed = false;
    bool fullScreen = false;
    SDL_Rect windowed{0, 0, 0, 0};  // place and size to come back to from full screen
};

}  // namespace

std::unique_ptr<DisplayBackend> createWindowBackend(const char* title, int width, int height,
                                                    const WindowLayout& layout, std::string& reason) {
    auto display = std::make_unique<SdlDisplay>();
    if (!display->open(title, width, height, layout, reason)) return nullptr;
    return display;
}

std::string windowBackendVersion() {
    SDL_version v;
    SDL_GetVersion(&v);
    return "SDL " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch);
}

bool showNativeMessageBox(const char* text, const char* caption) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) == 0;
}
