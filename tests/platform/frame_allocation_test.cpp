// The display's per-frame path must not touch the heap once the first frame has run.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/platform/frame_path.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

TEST(FramePath, AllocatesNothingAfterTheFirstFrame) {
    for (auto size : {std::pair<DWORD, DWORD>{320, 240}, {640, 480}, {1024, 300}}) {
        FramePath path;
        ASSERT_TRUE(path.bringUp(size.first, size.second));
        path.frame();
        const long before = allocations.load();
        for (int i = 0; i < 5; ++i) path.frame();
        EXPECT_EQ(allocations.load(), before) << size.first << "x" << size.second;
        EXPECT_EQ(path.presenter.framesPresented(), 6);
    }
}

}  // namespace
