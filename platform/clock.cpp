#include "platform/clock.h"

#include <chrono>
#include <utility>

namespace {

DWORD steadyMilliseconds() {
    static const auto start = std::chrono::steady_clock::now();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
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
