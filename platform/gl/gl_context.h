// An OpenGL 3.3 core context for the OpenGL device: made headless through EGL (no window at all),
// or on an SDL window. GL functions come through libepoxy.
#pragma once

#include <memory>
#include <string>

class GlContext {
  public:
    virtual ~GlContext() = default;
    // Makes the context current on the calling thread (cheap when it already is).
    virtual bool makeCurrent() = 0;
    // The driver's name for what draws (GL_RENDERER), e.g. "llvmpipe (LLVM 15.0.6, 256 bits)".
    const std::string& renderer() const { return renderer_; }

  protected:
    // After the context is current: false with the reason when it is not 3.3 core or better.
    bool describe(std::string& error);

  private:
    std::string renderer_;
};

// Headless: EGL without any window, on Mesa's surfaceless platform or else on the first EGL
// device (a GPU's EGL driver). Null with the reason when no context can be made.
std::unique_ptr<GlContext> makeHeadlessGlContext(std::string& error);

// On the SDL window (an SDL_Window*, made with SDL_WINDOW_OPENGL). Null with the reason when no
// context can be made.
std::unique_ptr<GlContext> makeWindowGlContext(void* sdlWindow, std::string& error);

// Whether EGL's devices include a GPU, asked without making a context (making one starts the
// driver, which for a CPU renderer costs a noticeable part of a second).
enum class GpuPresence { none, some, unknown };
GpuPresence eglGpuPresence();

// Renderers that draw on the CPU (Mesa's llvmpipe, softpipe and swrast): no faster than the
// program's own software device.
bool isSoftwareRenderer(const std::string& renderer);
