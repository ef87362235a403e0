#include "platform/gl/gl_program.h"

#include <vector>

namespace {

// Vertices: clip position, then lighting in world space as the software front end lights them.
// Positions land on the target's pixel grid snapped to sixteenths, as the software rasterizer
// snaps them, so that edges cross the same pixel centres; GL samples pixel (i, j) at
// (i + 0.5, j + 0.5) where the software samples it at (i, j), hence the half-pixel shift. Row j of
// the GL target holds the surface's row j, so the picture comes back without turning over. GL's
// viewport reaches far beyond the target, a power of two wide, so that GL clips almost nothing
// (its clipping would move edges) and every snapped position stays exact through GL's
// arithmetic.
const char* kVertexShader = R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texCoordIn;

uniform mat4 mvp;    // row-major as the platform keeps it: mvp * v is v times the matrix
uniform mat4 world;
uniform bool lightOn;
uniform vec3 toLight;
uniform vec3 base;
uniform vec3 diffuse;
uniform bool specularOn;
uniform vec3 specular;
uniform float power;
uniform int wholePower;
uniform vec3 eye;
uniform vec4 toWindow;  // scaleX, offsetX, scaleY, offsetY
uniform vec3 glWindow;  // where the target's origin lies in GL's viewport, and 2 / its size

COLOUR out vec3 lit;
COLOUR out vec3 highlight;
TEXCOORD out vec2 texCoord;

const float kMinClipW = 1e-6;

float raise(float x) {
    if (wholePower <= 0) return pow(x, power);
    float result = 1.0;
    float square = x;
    for (int p = wholePower; p > 0; p >>= 1, square *= square)
        if ((p & 1) != 0) result *= square;
    return result;
}

float specularFactor(vec3 p, vec3 n) {
    vec3 view = eye - p;
    float viewLength = length(view);
    vec3 halfway = view / viewLength + toLight;
    float halfLength = length(halfway);
    float nDotH = dot(n, halfway) / halfLength;
    if (!(viewLength > 0.0) || !(halfLength > 0.0) || !(nDotH > 0.0)) return 0.0;
    return raise(nDotH);
}

void main() {
    vec4 clip = mvp * vec4(position, 1.0);
    float w = clip.w;
    vec2 x = vec2(toWindow.y, toWindow.w) * w + vec2(toWindow.x, -toWindow.z) * clip.xy;
    if (w >= kMinClipW) {
        float invW = 1.0 / w;
        vec2 screen = vec2(toWindow.y + toWindow.x * (clip.x * invW),
                           toWindow.w - toWindow.z * (clip.y * invW));
        x = roundEven(screen * 16.0) / 16.0 * w;
    }
    gl_Position = vec4((x + (0.5 + glWindow.xy) * w) * glWindow.z - w, 2.0 * clip.z - w, w);

    vec3 p = (world * vec4(position, 1.0)).xyz;
    vec3 n = (world * vec4(normal, 0.0)).xyz;
    float nDotL = lightOn ? dot(n, toLight) : 0.0;
    float lambert = nDotL > 0.0 ? nDotL : 0.0;
    float shine = specularOn && nDotL > 0.0 ? specularFactor(p, n) : 0.0;
    lit = clamp(base + diffuse * lambert, 0.0, 1.0);
    highlight = clamp(specular * shine, 0.0, 1.0);
    texCoord = texCoordIn;
}
)";

// Pixels: the colour in output steps (the lit colour times the texel's channels, plus the
// highlight), the 4x4 ordered dither tied to the pixel's place on the target, truncated and
// packed into the 16-bit layout.
const char* kFragmentShader = R"(
COLOUR in vec3 lit;
COLOUR in vec3 highlight;
TEXCOORD in vec2 texCoord;

uniform int outputRedShift;
uniform vec3 outputMax;
uniform vec3 diffuseScale;
uniform bool dither;
uniform bool textured;
uniform ivec2 textureExtent;
uniform int textureRedShift;
uniform int textureGreenMask;
uniform int address;  // 1 wrap, 2 mirror, 3 clamp
uniform sampler2D picture;  // 16-bit texels, normalised
uniform bool specularOn;

out uint pixel;

// floor(i / size) and the remainder, without an integer division (slow where shaders run on the
// CPU): the float quotient is off by at most one for the indices that matter (|i| < 2^24), which
// the products put right; anything larger still lands on the texture.
ivec2 floorDivision(ivec2 i, ivec2 size) {
    ivec2 q = ivec2(floor(vec2(i) / vec2(size)));
    ivec2 r = i - q * size;
    ivec2 under = ivec2(lessThan(r, ivec2(0)));
    ivec2 over = ivec2(greaterThanEqual(r, size));
    q += over - under;
    r += (under - over) * size;
    return ivec2(clamp(r, ivec2(0), size - 1));
}

// floor(coordinate * size) moved onto the texture: wrapped, mirrored every other repeat, or
// clamped, as the software rasterizer's texel addressing does.
ivec2 texelIndex(vec2 coordinate) {
    ivec2 i = ivec2(floor(clamp(coordinate * vec2(textureExtent), -1073741824.0, 1073741823.0)));
    if (address == 3) return clamp(i, ivec2(0), textureExtent - 1);
    if (address == 2) {
        ivec2 folded = ivec2(floorDivision(i, 2 * textureExtent));
        return min(folded, 2 * textureExtent - 1 - folded);
    }
    return floorDivision(i, textureExtent);
}

vec3 texelChannels() {
    uint t = uint(texelFetch(picture, texelIndex(texCoord), 0).r * 65535.0 + 0.5);
    return vec3(float((t >> uint(textureRedShift)) & 31u),
                float((t >> 5u) & uint(textureGreenMask)), float(t & 31u));
}

// The 4x4 ordered dither's rank at the pixel: bits of x ^ y and y interleaved, most significant
// first (0, 8, 2, 10 along the first row).
float ditherThreshold(ivec2 at) {
    int d = at.x ^ at.y;
    int rank = ((d & 1) << 3) | ((at.y & 1) << 2) | (d & 2) | ((at.y >> 1) & 1);
    return (float(rank) + 0.5) / 16.0;
}

void main() {
    vec3 colour = lit * diffuseScale;
    if (textured) colour *= texelChannels();
    if (specularOn) colour += highlight * outputMax;
    float threshold = dither ? ditherThreshold(ivec2(gl_FragCoord.xy)) : 0.5;
    uvec3 steps = uvec3(clamp(colour, vec3(0.0), outputMax) + threshold);
    pixel = (steps.r << uint(outputRedShift)) | (steps.g << 5u) | steps.b;
}
)";

constexpr const char* kUniformNames[] = {
    "mvp",          "world",      "lightOn",      "toLight",         "base",
    "diffuse",      "specularOn", "specular",     "power",           "wholePower",
    "eye",          "toWindow",   "glWindow",     "outputRedShift",  "outputMax",
    "diffuseScale", "dither",     "textured",     "textureRedShift", "textureGreenMask",
    "address",      "picture",    "textureExtent"};

std::string preamble(bool gouraud, bool perspective) {
    const char* colour = !gouraud ? "flat" : (perspective ? "smooth" : "noperspective");
    const char* texCoord = perspective ? "smooth" : "noperspective";
    return std::string("#version 330 core\n#define COLOUR ") + colour + "\n#define TEXCOORD " +
           texCoord + "\n";
}

std::string logOf(GLuint object, bool program) {
    GLint length = 0;
    if (program)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    if (program)
        glGetProgramInfoLog(object, length, nullptr, log.data());
    else
        glGetShaderInfoLog(object, length, nullptr, log.data());
    return log.data();
}

GLuint compile(GLenum kind, const std::string& preamble, const char* body, std::string& error) {
    const GLuint shader = glCreateShader(kind);
    const char* parts[] = {preamble.c_str(), body};
    glShaderSource(shader, 2, parts, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        error = "shader does not compile: " + logOf(shader, false);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

GlProgram::~GlProgram() {
    if (program_ != 0) glDeleteProgram(program_);
}

bool GlProgram::build(bool gouraud, bool perspective, std::string& error) {
    static_assert(std::size(kUniformNames) == kUniformCount);
    const std::string head = preamble(gouraud, perspective);
    const GLuint vertex = compile(GL_VERTEX_SHADER, head, kVertexShader, error);
    const GLuint fragment =
        vertex != 0 ? compile(GL_FRAGMENT_SHADER, head, kFragmentShader, error) : 0;
    if (fragment == 0) {
        if (vertex != 0) glDeleteShader(vertex);
        return false;
    }
    program_ = glCreateProgram();
    glAttachShader(program_, vertex);
    glAttachShader(program_, fragment);
    glBindFragDataLocation(program_, 0, "pixel");
    glLinkProgram(program_);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program_, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        error = "shaders do not link: " + logOf(program_, true);
        return false;
    }
    for (int i = 0; i < kUniformCount; ++i)
        at_[i] = glGetUniformLocation(program_, kUniformNames[i]);
    return true;
}

void GlProgram::use(const GlDrawConstants& k, const GlViewport& window) const {
    glUseProgram(program_);
    glUniformMatrix4fv(at_[kMvp], 1, GL_FALSE, k.mvp);
    glUniformMatrix4fv(at_[kWorld], 1, GL_FALSE, k.world);
    glUniform1i(at_[kLightOn], k.lighting.lightOn);
    glUniform3fv(at_[kToLight], 1, k.lighting.toLight);
    glUniform3fv(at_[kBase], 1, k.lighting.base);
    glUniform3fv(at_[kDiffuse], 1, k.lighting.diffuse);
    glUniform1i(at_[kSpecularOn], k.lighting.specularOn);
    glUniform3fv(at_[kSpecular], 1, k.lighting.specular);
    glUniform1f(at_[kPower], k.lighting.power);
    glUniform1i(at_[kWholePower], k.lighting.wholePower);
    glUniform3fv(at_[kEye], 1, k.lighting.eye);
    glUniform4f(at_[kToWindow], k.scaleX, k.offsetX, k.scaleY, k.offsetY);
    glUniform3f(at_[kGlWindow], static_cast<float>(window.originX),
                static_cast<float>(window.originY), 2.0f / static_cast<float>(window.size));
    glUniform1i(at_[kOutputRedShift], k.outputRedShift);
    glUniform3fv(at_[kOutputMax], 1, k.outputMax);
    glUniform3fv(at_[kDiffuseScale], 1, k.diffuseScale);
    glUniform1i(at_[kDither], k.dither);
    glUniform1i(at_[kTextured], k.textured);
    glUniform1i(at_[kTextureRedShift], k.textureRedShift);
    glUniform1i(at_[kTextureGreenMask], k.textureGreenMask);
    glUniform1i(at_[kAddress], static_cast<int>(k.address));
    glUniform1i(at_[kPicture], kTextureUnit);
    glUniform2i(at_[kTextureExtent], k.textureWidth, k.textureHeight);
}
