// The one OpenGL context of a test program. Where none can be made, the program's main() runs no
// test and ends with status 77 (skipped), with the reason.
#pragma once

#include <memory>
#include <string>

#include "platform/gl/gl_context.h"

namespace gltest {

// Null, with the reason in `why`, when no context can be made here.
std::shared_ptr<GlContext> testContext(std::string& why);

// Whether the program was started only to list its tests.
bool listingOnly(int argc, char** argv);

}  // namespace gltest
