// The headless OpenGL context through EGL.
#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <cstring>
#include <vector>

#include "platform/gl/gl_context.h"

namespace {

class EglContext final : public GlContext {
  public:
    EglContext(EGLDisplay display, EGLContext context) : display_(display), context_(context) {}
    ~EglContext() override {
        if (eglGetCurrentContext() == context_)
            eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display_, context_);
        // The display stays initialised: EGL has one per platform and process, which other
        // contexts may still use.
    }
    bool makeCurrent() override {
        return eglGetCurrentContext() == context_ ||
               eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) == EGL_TRUE;
    }
    bool finishSetUp(std::string& error) {
        if (!makeCurrent()) {
            error = "the EGL context cannot be made current";
            return false;
        }
        return describe(error);
    }

  private:
    EGLDisplay display_;
    EGLContext context_;
};

bool hasExtension(const char* list, const char* name) {
    if (list == nullptr) return false;
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at != nullptr; at = std::strstr(at + 1, name)) {
        const bool starts = at == list || at[-1] == ' ';
        const bool ends = at[length] == '\0' || at[length] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

// Mesa's surfaceless platform first (any Mesa driver, llvmpipe included), then the first EGL
// device (drivers that offer devices rather than platforms).
EGLDisplay openDisplay() {
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (hasExtension(client, "EGL_MESA_platform_surfaceless")) {
        EGLDisplay display =
            eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr)) return display;
    }
    if (hasExtension(client, "EGL_EXT_platform_device")) {
        EGLint count = 0;
        if (!eglQueryDevicesEXT(0, nullptr, &count) || count <= 0) return EGL_NO_DISPLAY;
        std::vector<EGLDeviceEXT> devices(static_cast<std::size_t>(count));
        eglQueryDevicesEXT(count, devices.data(), &count);
        for (EGLDeviceEXT device : devices) {
            EGLDisplay display = eglGetPlatformDisplayEXT(EGL_PLATFORM_DEVICE_EXT, device, nullptr);
            if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr))
                return display;
        }
    }
    return EGL_NO_DISPLAY;
}

// A context without a surface: without a config where the driver allows it, else with the first
// config that renders OpenGL.
EGLContext createContext(EGLDisplay display) {
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                 3,
                                 EGL_CONTEXT_MINOR_VERSION,
                                 3,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                 EGL_NONE};
    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    EGLConfig config = EGL_NO_CONFIG_KHR;
    if (!hasExtension(extensions, "EGL_KHR_no_config_context")) {
        const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        EGLint found = 0;
        if (!eglChooseConfig(display, wanted, &config, 1, &found) || found < 1)
            return EGL_NO_CONTEXT;
    }
    return eglCreateContext(display, config, EGL_NO_CONTEXT, attributes);
}

}  // namespace

GpuPresence eglGpuPresence() {
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!hasExtension(client, "EGL_EXT_device_enumeration") ||
        !hasExtension(client, "EGL_EXT_device_query")) {
        return GpuPresence::unknown;
    }
    EGLint count = 0;
    if (!eglQueryDevicesEXT(0, nullptr, &count)) return GpuPresence::unknown;
    std::vector<EGLDeviceEXT> devices(static_cast<std::size_t>(count));
    if (count > 0 && !eglQueryDevicesEXT(count, devices.data(), &count))
        return GpuPresence::unknown;
    for (EGLDeviceEXT device : devices) {
        // Mesa marks the device that draws on the CPU.
        if (!hasExtension(eglQueryDeviceStringEXT(device, EGL_EXTENSIONS),
                          "EGL_MESA_device_software"))
            return GpuPresence::some;
    }
    return GpuPresence::none;
}

std::unique_ptr<GlContext> makeHeadlessGlContext(std::string& error) {
    const EGLDisplay display = openDisplay();
    if (display == EGL_NO_DISPLAY) {
        error = "EGL finds no display to draw on without a window";
        return nullptr;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error = "this EGL does not offer OpenGL";
        return nullptr;
    }
    const EGLContext context = createContext(display);
    if (context == EGL_NO_CONTEXT) {
        error = "EGL cannot make an OpenGL 3.3 core context";
        return nullptr;
    }
    auto made = std::make_unique<EglContext>(display, context);
    if (!made->finishSetUp(error)) return nullptr;
    return made;
}
