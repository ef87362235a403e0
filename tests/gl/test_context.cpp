#include "tests/gl/test_context.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace gltest {
namespace {

struct Made {
    std::shared_ptr<GlContext> context;
    std::string why;
};

const Made& made() {
    static const Made once = [] {
        Made m;
        m.context = makeHeadlessGlContext(m.why);
        return m;
    }();
    return once;
}

}  // namespace

bool listingOnly(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0) return true;
    return false;
}

std::shared_ptr<GlContext> testContext(std::string& why) {
    why = made().why;
    if (made().context != nullptr) made().context->makeCurrent();
    return made().context;
}

}  // namespace gltest

// Without a context the tests are not run: status 77, which CTest counts as skipped.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (gltest::listingOnly(argc, argv)) return RUN_ALL_TESTS();
    std::string why;
    if (gltest::testContext(why) == nullptr) {
        std::printf("SKIP: no OpenGL context here: %s\n", why.c_str());
        return 77;
    }
    return RUN_ALL_TESTS();
}
