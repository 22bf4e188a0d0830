// The SDL2 window backend: a fixed-size window whose client area is the frame, a streaming texture in
// SDL_PIXELFORMAT_ARGB8888 (the frame's own word layout, so no conversion) drawn without blending, and
// SDL's event queue translated into window messages one at a time.
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

    bool open(const char* title, int w, int h, bool fullScreen, std::string& reason) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // SIGINT and SIGTERM are ours (platform/Process)
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            fail("SDL video: ", reason);
            reason += "; run with --headless to render without a window";
            return false;
        }
        if (!displayReachable(reason)) return false;
        const Uint32 flags = SDL_WINDOW_SHOWN | (fullScreen ? Uint32(SDL_WINDOW_FULLSCREEN) : 0u);
        window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, flags);
        if (!window) return fail("SDL_CreateWindow: ", reason);
        renderer = SDL_CreateRenderer(window, -1, 0);
        if (!renderer) return fail("SDL_CreateRenderer: ", reason);
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
        if (!texture) return fail("SDL_CreateTexture: ", reason);
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);  // the fourth byte is not alpha here
        if (fullScreen) SDL_ShowCursor(SDL_DISABLE);
        SDL_AddEventWatch(watchEscape, &escapePressed);
        return true;
    }

    void show(const uint32_t* pixels, int w, int h) override {
        SDL_UpdateTexture(texture, nullptr, pixels, w * 4);
        const SDL_Rect rect{0, 0, w, h};
        SDL_RenderCopy(renderer, texture, &rect, &rect);
        SDL_RenderPresent(renderer);
    }

    bool poll(WindowMessage& m) override {
        SDL_Event e;
        if (!SDL_PollEvent(&e)) return false;
        switch (e.type) {
            case SDL_QUIT: m = {WindowMessage::Close, 0}; break;  // the last window closed
            case SDL_WINDOWEVENT:
                m = {e.window.event == SDL_WINDOWEVENT_CLOSE ? WindowMessage::Close : WindowMessage::Other, 0};
                break;
            case SDL_KEYDOWN: m = {WindowMessage::KeyDown, virtualKey(e.key.keysym.sym)}; break;
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
};

}  // namespace

std::unique_ptr<DisplayBackend> createWindowBackend(const char* title, int width, int height, bool fullScreen,
                                                    std::string& reason) {
    auto display = std::make_unique<SdlDisplay>();
    if (!display->open(title, width, height, fullScreen, reason)) return nullptr;
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
