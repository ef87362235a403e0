// The millisecond clock, with a seam so that tests can drive time by hand.
#pragma once

#include <functional>

#include "platform/d3dtypes.h"

// Milliseconds since system start; wraps around after 2^32 ms.
DWORD timeGetTime();

// Replaces the clock while alive (tests); the previous source comes back when it ends.
class ScopedTimeSource {
  public:
    explicit ScopedTimeSource(std::function<DWORD()> source);
    ~ScopedTimeSource();
    ScopedTimeSource(const ScopedTimeSource&) = delete;
    ScopedTimeSource& operator=(const ScopedTimeSource&) = delete;

  private:
    std::function<DWORD()> previous_;
};
