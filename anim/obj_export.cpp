#include "anim/obj_export.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

// The name token without the quotes the reader keeps (a two-word name keeps only its opening
// quote).
std::string_view unquoted(std::string_view name) {
    if (!name.empty() && name.front() == '"') name.remove_prefix(1);
    if (!name.empty() && name.back() == '"') name.remove_suffix(1);
    return name;
}

void writeVertices(std::FILE* out, const std::vector<D3DVERTEX>& vertices) {
    for (const D3DVERTEX& v : vertices) {
        std::fprintf(out, "v %.9g %.9g %.9g\n", v.x, v.y, v.z);
        std::fprintf(out, "vt %.9g %.9g\n", v.tu, v.tv);
        std::fprintf(out, "vn %.9g %.9g %.9g\n", v.nx, v.ny, v.nz);
    }
}

// Faces of one object whose first vertex has the 1-based number `first`.
void writeFaces(std::FILE* out, std::size_t vertexCount, unsigned long long first) {
    for (std::size_t corner = 0; corner + 2 < vertexCount; corner += 3) {
        const unsigned long long a = first + corner, b = a + 1, c = a + 2;
        std::fprintf(out, "f %llu/%llu/%llu %llu/%llu/%llu %llu/%llu/%llu\n", a, a, a, b, b, b, c,
                     c, c);
    }
}

std::string temporaryPattern(const std::string& path) {
    return path + ".XXXXXX";
}

// mkstemp creates the file private to its owner; the finished file gets the usual permissions.
void giveUsualPermissions(int fd) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

}  // namespace

bool writeObj(std::FILE* out, const Scene& scene, const PoseWork& work) {
    const std::size_t count = std::min(scene.geomObjects.size(), work.workVertices.size());
    unsigned long long nextVertex = 1;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view name = unquoted(scene.geomObjects[i].name.view());
        std::fprintf(out, "o %.*s\n", static_cast<int>(name.size()), name.data());
        const auto& vertices = work.workVertices[i];
        writeVertices(out, vertices);
        writeFaces(out, vertices.size(), nextVertex);
        nextVertex += vertices.size();
    }
    return std::fflush(out) == 0 && !std::ferror(out);
}

bool writeObjFile(const std::string& path, const Scene& scene, const PoseWork& work,
                  Messages& messages) {
    std::string temporary = temporaryPattern(path);
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        const std::string why = std::strerror(errno);
        messages.error("cannot create " + temporary + ": " + why);
        return false;
    }
    giveUsualPermissions(fd);
    std::FILE* out = ::fdopen(fd, "w");
    if (out == nullptr) {
        ::close(fd);
        ::unlink(temporary.c_str());
        messages.error("cannot write " + temporary);
        return false;
    }
    const bool written = writeObj(out, scene, work);
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        messages.error("cannot write " + path + ": " + why);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}
