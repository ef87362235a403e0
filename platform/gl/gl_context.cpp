#include "platform/gl/gl_context.h"

#include <epoxy/gl.h>
#include <malloc.h>

#include <array>
#include <string_view>

namespace {

// A renderer on the CPU (llvmpipe) allocates and frees megabytes of vertex and binning storage
// every frame; glibc would hand that memory back to the kernel each time and fault it in again,
// which with many triangles took most of each frame. Kept in the process instead.
void keepFreedMemoryForReuse() {
    constexpr int kLargestHeapBlock = 32 << 20;  // the most glibc allows
    constexpr int kKeptAtTheTop = 1 << 30;
    mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
    mallopt(M_TRIM_THRESHOLD, kKeptAtTheTop);
}

}  // namespace

bool GlContext::describe(std::string& error) {
    const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    renderer_ = name != nullptr ? name : "";
    if (isSoftwareRenderer(renderer_)) keepFreedMemoryForReuse();
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
