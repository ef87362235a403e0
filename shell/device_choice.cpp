#include "shell/device_choice.h"

#include <utility>

#ifdef ASEPLAY_HAVE_GL
#include "platform/gl/gl_context.h"
#include "platform/gl/gl_device.h"
#endif

namespace {

#ifdef ASEPLAY_HAVE_GL
// On the window SDL's context; headless, or where the window cannot hold one, EGL's.
std::unique_ptr<GlContext> makeContext(void* sdlWindow, std::string& error) {
    if (sdlWindow != nullptr) {
        std::unique_ptr<GlContext> context = makeWindowGlContext(sdlWindow, error);
        if (context != nullptr) return context;
    }
    std::string headlessError;
    std::unique_ptr<GlContext> context = makeHeadlessGlContext(headlessError);
    if (context == nullptr)
        error = sdlWindow != nullptr ? error + "; " + headlessError : headlessError;
    return context;
}
#endif

}  // namespace

DeviceChoice::DeviceChoice() = default;
DeviceChoice::~DeviceChoice() = default;

#ifdef ASEPLAY_HAVE_GL

bool DeviceChoice::prepare(DeviceRequest request, void* sdlWindow, std::string& error) {
    request_ = request;
    if (request == DeviceRequest::software) return true;
    if (request == DeviceRequest::automatic && eglGpuPresence() == GpuPresence::none) {
        whyNotHardware_ = "no GPU: OpenGL here would draw on the CPU";
        return true;
    }
    std::string why;
    std::unique_ptr<GlContext> context = makeContext(sdlWindow, why);
    if (context == nullptr) {
        whyNotHardware_ = "no OpenGL: " + why;
        error = "no OpenGL context for the hardware device: " + why;
        return request != DeviceRequest::hardware;
    }
    if (request == DeviceRequest::automatic && isSoftwareRenderer(context->renderer())) {
        whyNotHardware_ =
            "OpenGL's renderer is " + context->renderer() + ", which draws on the CPU";
        return true;
    }
    maker_ = std::make_unique<GlDeviceMaker>(std::shared_ptr<GlContext>(std::move(context)));
    return true;
}

HardwareDeviceMaker* DeviceChoice::hardware() {
    return maker_.get();
}

bool DeviceChoice::hardwareDraws() const {
    return maker_ != nullptr && maker_->devicesMade() > 0;
}

bool DeviceChoice::confirm(std::string& error) const {
    if (request_ != DeviceRequest::hardware || hardwareDraws()) return true;
    error = "the OpenGL device cannot be made";
    if (maker_ != nullptr && !maker_->lastError().empty()) error += ": " + maker_->lastError();
    return false;
}

std::string DeviceChoice::describe() const {
    if (hardwareDraws()) return "the hardware device (OpenGL: " + maker_->renderer() + ")";
    if (maker_ != nullptr && !maker_->lastError().empty())
        return "the software device (the OpenGL device cannot be made: " + maker_->lastError() +
               ")";
    return whyNotHardware_.empty() ? "the software device"
                                   : "the software device (" + whyNotHardware_ + ")";
}

std::string DeviceChoice::shortName() const {
    return hardwareDraws() ? "hardware (OpenGL: " + maker_->renderer() + ")" : "software";
}

#else  // built without the OpenGL device

bool DeviceChoice::prepare(DeviceRequest request, void*, std::string& error) {
    request_ = request;
    whyNotHardware_ = "this build has no OpenGL device";
    error = "no OpenGL context for the hardware device: " + whyNotHardware_;
    return request != DeviceRequest::hardware;
}

HardwareDeviceMaker* DeviceChoice::hardware() {
    return nullptr;
}

bool DeviceChoice::hardwareDraws() const {
    return false;
}

bool DeviceChoice::confirm(std::string& error) const {
    error = whyNotHardware_;
    return request_ != DeviceRequest::hardware;
}

std::string DeviceChoice::describe() const {
    return request_ == DeviceRequest::software ? "the software device"
                                               : "the software device (" + whyNotHardware_ + ")";
}

std::string DeviceChoice::shortName() const {
    return "software";
}

#endif
