// The OpenGL context on the SDL window. SDL's own renderer (which shows the frames) may keep a
// context of its own on the window; each is made current through SDL before it is used.
#include <SDL.h>

#include "platform/gl/gl_context.h"

namespace {

class SdlGlContext final : public GlContext {
  public:
    SdlGlContext(SDL_Window* window, SDL_GLContext context) : window_(window), context_(context) {}
    ~SdlGlContext() override { SDL_GL_DeleteContext(context_); }
    bool makeCurrent() override {
        return SDL_GL_GetCurrentContext() == context_ && SDL_GL_GetCurrentWindow() == window_
                   ? true
                   : SDL_GL_MakeCurrent(window_, context_) == 0;
    }
    bool finishSetUp(std::string& error) {
        if (!makeCurrent()) {
            error = std::string("the OpenGL context cannot be made current: ") + SDL_GetError();
            return false;
        }
        return describe(error);
    }

  private:
    SDL_Window* window_;
    SDL_GLContext context_;
};

}  // namespace

std::unique_ptr<GlContext> makeWindowGlContext(void* sdlWindow, std::string& error) {
    auto* window = static_cast<SDL_Window*>(sdlWindow);
    if (window == nullptr || (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) == 0) {
        error = "the window cannot hold an OpenGL context";
        return nullptr;
    }
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    SDL_GL_ResetAttributes();  // SDL's renderer makes its own context with its own wishes
    if (context == nullptr) {
        error = std::string("SDL cannot make an OpenGL 3.3 core context: ") + SDL_GetError();
        if (previous != nullptr) SDL_GL_MakeCurrent(window, previous);
        return nullptr;
    }
    auto made = std::make_unique<SdlGlContext>(window, context);
    if (!made->finishSetUp(error)) return nullptr;
    return made;
}
