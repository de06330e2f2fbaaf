#include "cli/interrupt.h"

#include <csignal>

namespace quba {

namespace {

// Written by the signal handler, so it can only be a sig_atomic_t flag.
volatile std::sig_atomic_t interruptRequested = 0;

void OnInterrupt(int) {
    interruptRequested = 1;
}

} // namespace

void CatchInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // The default action comes back after the first Ctrl+C.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() {
    return interruptRequested != 0;
}

} // namespace quba
