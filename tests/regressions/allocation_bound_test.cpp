// A header field alone may not make a reader allocate more than its file can fill. The global
// allocation functions of this test program count what a call asks for.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "fuzz/entries.h"

namespace {

bool counting = false;
std::size_t requested = 0;  // bytes asked for while counting

std::size_t bytesRequestedBy(int (*entry)(const std::uint8_t*, std::size_t),
                             const std::vector<std::uint8_t>& file) {
    requested = 0;
    counting = true;
    entry(file.data(), file.size());
    counting = false;
    return requested;
}

std::vector<std::uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void putWord(std::vector<std::uint8_t>& file, std::size_t at, unsigned value) {
    file[at] = static_cast<std::uint8_t>(value);
    file[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

TEST(AllocationBound, PcxHeaderOfAHugePictureWithoutData) {
    for (unsigned side : {640u, 4096u}) {
        std::vector<std::uint8_t> file(128 + 2, 0);
        putWord(file, 8, side - 1);
        putWord(file, 10, side - 1);
        file[128] = 0xFF;  // one longest run
        EXPECT_LT(bytesRequestedBy(fuzz::runPcxFile, file), 64u * 1024) << side;
    }
}

TEST(AllocationBound, SprRawHeaderOfAHugePictureWithoutData) {
    std::vector<std::uint8_t> file = {0, 0, 0, 0, 0, 1, 2};
    putWord(file, 1, 4096);
    putWord(file, 3, 4096);
    EXPECT_LT(bytesRequestedBy(fuzz::runSprFile, file), 64u * 1024);
}

TEST(AllocationBound, SceneCountsBeyondTheirLists) {
    // Counts the lists never fill: object meshes of 65535 declared vertices and faces (once about
    // 1 GB for 45 KB of file), a material count of 65535 (once 350 MB for 315 bytes), mesh
    // animation frames of 65535 declared vertices and faces (once 170 MB for 34 KB).
    for (const char* name :
         {"tolerant_declared_counts.ase", "material_count.ase", "mesh_animation_counts.ase"}) {
        const std::vector<std::uint8_t> file =
            readAll(std::string(ASEPLAY_REGRESSIONS) + "/scene/" + name);
        ASSERT_GT(file.size(), 300u) << name;
        EXPECT_LT(bytesRequestedBy(fuzz::runSceneFile, file), 64u << 20) << name;
    }
}

}  // namespace

void* operator new(std::size_t size) {
    if (counting) requested += size;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
