#include "platform/clock.h"

#include <chrono>
#include <utility>

namespace {

// The monotonic clock counts from system start, as the platform's millisecond clock does; callers
// that start from a reading of 0 thus see more than a second pass at their first reading.
DWORD steadyMilliseconds() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

std::function<DWORD()>& timeSource() {
    static std::function<DWORD()> source;
    return source;
}

}  // namespace

DWORD timeGetTime() {
    const auto& source = timeSource();
    return source ? source() : steadyMilliseconds();
}

ScopedTimeSource::ScopedTimeSource(std::function<DWORD()> source)
    : previous_(std::exchange(timeSource(), std::move(source))) {}

ScopedTimeSource::~ScopedTimeSource() {
    timeSource() = std::move(previous_);
}
