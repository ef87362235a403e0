#include "shell/stop_signal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t stopFlag = 0;

extern "C" void onStopSignal(int) {
    stopFlag = 1;
}

}  // namespace

void installStopSignals() {
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool stopRequested() {
    return stopFlag != 0;
}

void setStopRequested(bool requested) {
    stopFlag = requested ? 1 : 0;
}
