#include "platform/sdl/sdl_window.h"

#include <SDL.h>

#include <array>
#include <cstdint>
#include <string_view>

struct SdlWindow::Parts {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int frameWidth = 0;
    int frameHeight = 0;

    ~Parts() {
        if (texture != nullptr) SDL_DestroyTexture(texture);
        if (renderer != nullptr) SDL_DestroyRenderer(renderer);
        if (window != nullptr) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
};

namespace {

struct WindowPlace {
    int x, y, width, height;
    Uint32 flags;
};

// Full screen covers the first display: asked of the window manager, and also sized and placed so
// that it covers the screen where no window manager runs (a bare X server).
WindowPlace windowPlaceFor(const SdlWindowConfig& config) {
    WindowPlace place{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, config.frameWidth,
                      config.frameHeight, SDL_WINDOW_SHOWN};
    if (!config.fullScreen) return place;
    place.flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(0, &bounds) == 0) {
        place = {bounds.x, bounds.y, bounds.w, bounds.h, place.flags};
    }
    return place;
}

// A hardware renderer when there is one, else SDL's software renderer (e.g. under Xvfb).
SDL_Renderer* createRenderer(SDL_Window* window, bool vsync) {
    const Uint32 pacing = vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | pacing);
    if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    return renderer;
}

Uint32 textureFormat(sw::PixelLayout layout) {
    return layout == sw::PixelLayout::k555 ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_RGB565;
}

int virtualKeyOf(SDL_Keycode key) {
    switch (key) {
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_F12:
            return VK_F12;
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_HOME:
            return VK_HOME;
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_RIGHT:
            return VK_RIGHT;
        default:
            return 0x10000 + static_cast<int>(key & 0xFFFF);  // outside the keys that matter
    }
}

WindowEventKind kindOfWindowEvent(Uint8 event) {
    switch (event) {
        case SDL_WINDOWEVENT_FOCUS_LOST:
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_HIDDEN:
            return WindowEventKind::kDeactivated;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_RESTORED:
            return WindowEventKind::kActivated;
        case SDL_WINDOWEVENT_CLOSE:
            return WindowEventKind::kCloseRequest;
        default:
            return WindowEventKind::kOther;
    }
}

WindowEvent translate(const SDL_Event& sdl) {
    WindowEvent event;
    switch (sdl.type) {
        case SDL_QUIT:
            event.kind = WindowEventKind::kCloseRequest;
            break;
        case SDL_KEYDOWN:
            event.kind = WindowEventKind::kKeyDown;
            event.virtualKey = virtualKeyOf(sdl.key.keysym.sym);
            break;
        case SDL_WINDOWEVENT:
            event.kind = kindOfWindowEvent(sdl.window.event);
            break;
        case SDL_MOUSEMOTION:
            if ((sdl.motion.state & SDL_BUTTON_LMASK) != 0) {
                event.kind = WindowEventKind::kDrag;
                event.dx = sdl.motion.xrel;
                event.dy = sdl.motion.yrel;
            }
            break;
        case SDL_MOUSEWHEEL:
            event.kind = WindowEventKind::kWheel;
            event.wheel =
                sdl.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -sdl.wheel.y : sdl.wheel.y;
            break;
        default:
            break;
    }
    return event;
}

std::string sdlError(const char* what) {
    return std::string(what) + ": " + SDL_GetError();
}

// Where no display answers, SDL falls back to drivers that show nothing (offscreen, dummy): the
// program would then play unseen until killed. Such a driver is taken only when the user names it.
bool driverShowsFrames(const char* driver) {
    constexpr std::array<std::string_view, 3> kShowing = {"x11", "wayland", "kmsdrm"};
    for (std::string_view showing : kShowing) {
        if (driver != nullptr && SDL_strcasecmp(driver, showing.data()) == 0) return true;
    }
    const char* named = SDL_getenv("SDL_VIDEODRIVER");
    return named != nullptr && named[0] != '\0';
}

}  // namespace

std::unique_ptr<SdlWindow> SdlWindow::open(const SdlWindowConfig& config, std::string& error) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = sdlError("SDL cannot start its video");
        return nullptr;
    }
    auto parts = std::make_unique<Parts>();  // from here on it quits SDL's video when dropped
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driverShowsFrames(driver)) {
        error = std::string("no display to show frames on (SDL has only its \"") +
                (driver != nullptr ? driver : "") + "\" video driver)";
        return nullptr;
    }
    parts->frameWidth = config.frameWidth;
    parts->frameHeight = config.frameHeight;
    const WindowPlace place = windowPlaceFor(config);
    const Uint32 openGl = config.openGl ? SDL_WINDOW_OPENGL : 0;
    parts->window = SDL_CreateWindow(config.title, place.x, place.y, place.width, place.height,
                                     place.flags | openGl);
    if (parts->window == nullptr && openGl != 0) {  // no OpenGL here: a window all the same
        parts->window = SDL_CreateWindow(config.title, place.x, place.y, place.width, place.height,
                                         place.flags);
    }
    if (parts->window == nullptr) {
        error = sdlError("cannot open a window");
        return nullptr;
    }
    parts->renderer = createRenderer(parts->window, config.vsync);
    if (parts->renderer == nullptr) {
        error = sdlError("cannot draw into the window");
        return nullptr;
    }
    // The picture keeps its shape at any window size: scaled evenly, bars where it does not fit.
    SDL_RenderSetLogicalSize(parts->renderer, config.frameWidth, config.frameHeight);
    parts->texture =
        SDL_CreateTexture(parts->renderer, textureFormat(config.layout),
                          SDL_TEXTUREACCESS_STREAMING, config.frameWidth, config.frameHeight);
    if (parts->texture == nullptr) {
        error = sdlError("cannot make the frame texture");
        return nullptr;
    }
    SDL_ShowCursor(SDL_DISABLE);  // no cursor over the picture, in a window as in full screen
    return std::unique_ptr<SdlWindow>(new SdlWindow(std::move(parts)));
}

SdlWindow::SdlWindow(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

SdlWindow::~SdlWindow() = default;

void SdlWindow::present(const FrameView& frame) {
    if (frame.width != parts_->frameWidth || frame.height != parts_->frameHeight) return;
    SDL_UpdateTexture(parts_->texture, nullptr, frame.pixels,
                      frame.pitch * static_cast<int>(sizeof(std::uint16_t)));
    SDL_RenderClear(parts_->renderer);
    SDL_RenderCopy(parts_->renderer, parts_->texture, nullptr, nullptr);
    SDL_RenderPresent(parts_->renderer);
}

bool SdlWindow::poll(WindowEvent& event) {
    SDL_Event sdl;
    if (SDL_PollEvent(&sdl) == 0) return false;
    event = translate(sdl);
    return true;
}

bool SdlWindow::wait(WindowEvent& event) {
    SDL_Event sdl;
    if (SDL_WaitEvent(&sdl) == 0) return false;
    event = translate(sdl);
    return true;
}

void* SdlWindow::handle() const {
    return parts_->window;
}
