#include "platform/gl/gl_context.h"

#include <epoxy/gl.h>

#include <array>
#include <string_view>

bool GlContext::describe(std::string& error) {
    const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    renderer_ = name != nullptr ? name : "";
    if (epoxy_gl_version() < 33) {
        error = "OpenGL " + std::to_string(epoxy_gl_version() / 10) + "." +
                std::to_string(epoxy_gl_version() % 10) + " is older than the 3.3 needed";
        return false;
    }
    return true;
}

bool isSoftwareRenderer(const std::string& renderer) {
    constexpr std::array<std::string_view, 4> kOnTheCpu = {"llvmpipe", "softpipe", "swrast",
                                                           "Software Rasterizer"};
    for (std::string_view name : kOnTheCpu)
        if (renderer.find(name) != std::string::npos) return true;
    return false;
}
