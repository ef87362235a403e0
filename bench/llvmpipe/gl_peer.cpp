// The peer for frame-rate comparisons: the program's own scene, posed by the program's own code
// every frame, drawn by OpenGL (Mesa's llvmpipe, through EGL without a window) as aseplay draws
// it: the backdrop stretched over a 16-bit target, then every object as one lit, textured,
// depth-tested triangle list with its own material. Each frame ends with glFinish, so that the
// frame is drawn, not just queued.
//
//   gl_peer -C DIR [--frames N] [--size WxH] [--snapshot FILE.png]
//
// LP_NUM_THREADS=0 makes llvmpipe draw on the calling thread alone; unset, it uses every core.
#include <epoxy/egl.h>
#include <epoxy/gl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "anim/posing.h"
#include "images/png_io.h"
#include "platform/pixel_format.h"
#include "platform/software/software_display.h"
#include "prep/math.h"
#include "shell/player.h"

namespace {

struct Arguments {
    std::string directory = ".";
    long frames = 600;
    int width = 640, height = 480;
    std::string snapshot;
};

bool parse(int argc, char** argv, Arguments& a) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i], value = argv[i + 1];
        if (key == "-C") {
            a.directory = value;
        } else if (key == "--frames") {
            a.frames = std::atol(value.c_str());
        } else if (key == "--size") {
            if (std::sscanf(value.c_str(), "%dx%d", &a.width, &a.height) != 2) return false;
        } else if (key == "--snapshot") {
            a.snapshot = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && a.frames > 0 && a.width > 0 && a.height > 0;
}

bool makeContext() {
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    setenv("GALLIUM_DRIVER", "llvmpipe", 0);
    EGLDisplay display =
        eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return false;
    if (!eglBindAPI(EGL_OPENGL_API)) return false;
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                 3,
                                 EGL_CONTEXT_MINOR_VERSION,
                                 3,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                 EGL_NONE};
    EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    return context != EGL_NO_CONTEXT &&
           eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context);
}

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "gl_peer: shader: %s\n", log);
    }
    return shader;
}

GLuint link(const char* vertex, const char* fragment) {
    const GLuint program = glCreateProgram();
    glAttachShader(program, compile(GL_VERTEX_SHADER, vertex));
    glAttachShader(program, compile(GL_FRAGMENT_SHADER, fragment));
    glLinkProgram(program);
    return program;
}

// The device's lighting: one white parallel-point light from (0, 10, 0), local viewer, colours
// clamped per vertex; D3D clip space (z from 0 to w) turned into OpenGL's (-w to w).
const char* kObjectVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;
uniform mat4 transform;
uniform vec3 eye, toLight, base, diffuse, specular;
uniform float power;
out vec3 lit;
out vec3 highlight;
out vec2 texel;
void main() {
    vec4 clip = transform * vec4(position, 1.0);
    gl_Position = vec4(clip.xy, 2.0 * clip.z - clip.w, clip.w);
    float nDotL = dot(normal, toLight);
    float spec = 0.0;
    if (nDotL > 0.0) {
        vec3 halfway = normalize(normalize(eye - position) + toLight);
        float nDotH = dot(normal, halfway);
        if (nDotH > 0.0) spec = pow(nDotH, power);
    }
    lit = clamp(base + diffuse * max(nDotL, 0.0), 0.0, 1.0);
    highlight = clamp(specular * spec, 0.0, 1.0);
    texel = uv;
})";
const char* kObjectFragment = R"(#version 330 core
in vec3 lit;
in vec3 highlight;
in vec2 texel;
uniform sampler2D picture;
out vec4 colour;
void main() { colour = vec4(lit * texture(picture, texel).rgb + highlight, 1.0); })";
const char* kBackdropVertex = R"(#version 330 core
out vec2 texel;
void main() {
    vec2 corner = vec2(gl_VertexID & 1, gl_VertexID >> 1) * 2.0;
    texel = vec2(corner.x, 1.0 - corner.y);
    gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
})";
const char* kBackdropFragment = R"(#version 330 core
in vec2 texel;
uniform sampler2D picture;
out vec4 colour;
void main() { colour = texture(picture, texel); })";

// A 16-bit surface's pixels as a nearest-sampled 5-6-5 texture.
GLuint textureOf(IDirectDrawSurface4* surface, GLint addressing) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, addressing);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, addressing);
    std::vector<std::uint16_t> pixels = {0xFFFF};
    int width = 1, height = 1;
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = kDDSurfaceDesc2Size;
    if (surface != nullptr && SUCCEEDED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) {
        PixelLayout layout = PixelLayout::k565;
        layoutOfPixelFormat(desc.ddpfPixelFormat, layout);
        width = static_cast<int>(desc.dwWidth);
        height = static_cast<int>(desc.dwHeight);
        pixels.resize(static_cast<std::size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const auto* row = static_cast<const std::uint16_t*>(desc.lpSurface) +
                                  static_cast<std::size_t>(y) * (desc.lPitch / 2);
                const Rgb8 c = unpackPixel(layout, row[x]);
                pixels[static_cast<std::size_t>(y) * width + x] = pack565(c.r, c.g, c.b);
            }
        surface->Unlock(nullptr);
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB565, width, height, 0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5,
                 pixels.data());
    return name;
}

struct Renderer {
    GLuint objects = 0, backdrop = 0, backdropTexture = 0, objectTexture = 0;
    GLuint vertexArray = 0, buffer = 0, framebuffer = 0;
    std::size_t bufferVertices = 0;
};

bool setUp(Renderer& r, Player& player, int width, int height) {
    r.objects = link(kObjectVertex, kObjectFragment);
    r.backdrop = link(kBackdropVertex, kBackdropFragment);
    r.backdropTexture = textureOf(player.display.backgroundSurface, GL_CLAMP_TO_EDGE);
    r.objectTexture = textureOf(player.display.textureSurfaces[0], GL_MIRRORED_REPEAT);
    GLuint colour = 0, depth = 0;
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB565, width, height);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    glGenFramebuffers(1, &r.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, r.framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
    glViewport(0, 0, width, height);
    glGenVertexArrays(1, &r.vertexArray);
    glBindVertexArray(r.vertexArray);
    glGenBuffers(1, &r.buffer);
    glBindBuffer(GL_ARRAY_BUFFER, r.buffer);
    const auto attribute = [](GLuint index, GLint size, std::size_t offset) {
        glEnableVertexAttribArray(index);
        glVertexAttribPointer(index, size, GL_FLOAT, GL_FALSE, sizeof(D3DVERTEX),
                              reinterpret_cast<const void*>(offset));
    };
    attribute(0, 3, offsetof(D3DVERTEX, x));
    attribute(1, 3, offsetof(D3DVERTEX, nx));
    attribute(2, 2, offsetof(D3DVERTEX, tu));
    glEnable(GL_DITHER);
    glFrontFace(GL_CW);  // the device keeps the triangles that run clockwise on the screen
    glCullFace(GL_BACK);
    glDepthFunc(GL_LEQUAL);
    return true;
}

// The device's transform: world (identity) * view * projection, as the display set-up made them.
void useObjectState(const Renderer& r, Player& player) {
    glUseProgram(r.objects);
    const DisplayObjects& d = player.display;
    D3DMATRIX view{}, projection{};
    buildViewMatrix(view, d.eyePoint, d.lookAtPoint, d.upVector);
    projection._11 = projection._22 = 2.5f;
    projection._33 = projection._34 = 1.0f;
    projection._43 = -1.0f;
    D3DMATRIX all{};
    const float* a = &view._11;
    const float* b = &projection._11;
    float* out = &all._11;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += double{a[row * 4 + k]} * b[k * 4 + column];
            out[row * 4 + column] = static_cast<float>(sum);
        }
    glUniformMatrix4fv(glGetUniformLocation(r.objects, "transform"), 1, GL_FALSE, &all._11);
    glUniform3f(glGetUniformLocation(r.objects, "eye"), d.eyePoint.x, d.eyePoint.y, d.eyePoint.z);
    glUniform3f(glGetUniformLocation(r.objects, "toLight"), 0, 1, 0);
    glUniform1i(glGetUniformLocation(r.objects, "picture"), 0);
}

void drawFrame(Renderer& r, Player& player, int frame) {
    poseScene(player.scene, frame, player.pose);
    std::size_t total = 0;
    for (const auto& posed : player.pose.workVertices) total += posed.size();
    if (total > r.bufferVertices) {
        r.bufferVertices = total;
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(total * sizeof(D3DVERTEX)), nullptr,
                     GL_STREAM_DRAW);
    }
    std::size_t at = 0;
    for (const auto& posed : player.pose.workVertices) {
        glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(at * sizeof(D3DVERTEX)),
                        static_cast<GLsizeiptr>(posed.size() * sizeof(D3DVERTEX)), posed.data());
        at += posed.size();
    }
    glClear(GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glUseProgram(r.backdrop);
    glBindTexture(GL_TEXTURE_2D, r.backdropTexture);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    useObjectState(r, player);
    glBindTexture(GL_TEXTURE_2D, r.objectTexture);
    at = 0;
    for (std::size_t i = 0; i < player.pose.workVertices.size(); ++i) {
        const D3DMATERIAL& m = player.scene.drawObjects[i].material;
        glUniform3f(glGetUniformLocation(r.objects, "base"), m.emissive.r, m.emissive.g,
                    m.emissive.b);
        glUniform3f(glGetUniformLocation(r.objects, "diffuse"), m.diffuse.r, m.diffuse.g,
                    m.diffuse.b);
        glUniform3f(glGetUniformLocation(r.objects, "specular"), m.specular.r, m.specular.g,
                    m.specular.b);
        glUniform1f(glGetUniformLocation(r.objects, "power"), m.power);
        const auto count = static_cast<GLsizei>(player.pose.workVertices[i].size());
        glDrawArrays(GL_TRIANGLES, static_cast<GLint>(at), count);
        at += player.pose.workVertices[i].size();
    }
    glFinish();
}

bool writeSnapshot(const std::string& path, int width, int height) {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    RgbImage image;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)  // OpenGL's rows run bottom up
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                image.rgb[(static_cast<std::size_t>(y) * width + x) * 3 + c] =
                    rgba[(static_cast<std::size_t>(height - 1 - y) * width + x) * 4 + c];
    std::string error;
    if (writePng(path, image, error)) return true;
    std::fprintf(stderr, "gl_peer: %s\n", error.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (!parse(argc, argv, args)) {
        std::fprintf(stderr,
                     "usage: gl_peer -C DIR [--frames N] [--size WxH] [--snapshot FILE.png]\n");
        return 2;
    }
    if (::chdir(args.directory.c_str()) != 0) {
        std::perror(args.directory.c_str());
        return 2;
    }
    // The program's own start-up reads the scene, then the pictures.
    Options options;
    options.width = args.width;
    options.height = args.height;
    Player player;
    if (!loadScene(player.scene, options.scenePath, nullptr)) return 1;
    if (FAILED(startUp(player, nullptr, makeSoftwareDirectDrawCreate({}), options))) return 1;
    if (!makeContext()) {
        std::fprintf(stderr, "gl_peer: no OpenGL 3.3 context through EGL\n");
        return 1;
    }
    Renderer renderer;
    if (!setUp(renderer, player, args.width, args.height)) return 1;
    const char* threads = std::getenv("LP_NUM_THREADS");
    std::printf("\n%s, LP_NUM_THREADS=%s, size: %dx%d\n", glGetString(GL_RENDERER),
                threads != nullptr ? threads : "(unset: every core)", args.width, args.height);
    using Clock = std::chrono::steady_clock;
    drawFrame(renderer, player, 0);  // the first frame compiles llvmpipe's shaders
    const auto start = Clock::now();
    for (long i = 0; i < args.frames; ++i)
        drawFrame(renderer, player, static_cast<int>(i % (player.scene.sceneInfo.lastFrame + 1)));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("frames: %ld in %.3f s, %.1f frames/s\n", args.frames, seconds,
                static_cast<double>(args.frames) / seconds);
    if (!args.snapshot.empty() && !writeSnapshot(args.snapshot, args.width, args.height)) return 1;
    return 0;
}
