#include "Interrupt.h"

#include <signal.h>

#include <atomic>

namespace korvane::batch {
namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set in a signal handler");

void RaiseFlag(int) {
    interrupted.store(true);
}

void Install(int signalNumber) {
    struct sigaction action {};
    action.sa_handler = RaiseFlag;
    sigemptyset(&action.sa_mask);
    // The default comes back after the first signal, so a second Ctrl-C ends at once. No
    // SA_RESTART: a call that waits (an open, a read) returns at the first Ctrl-C instead of
    // waiting on.
    action.sa_flags = SA_RESETHAND;
    sigaction(signalNumber, &action, nullptr);
}

}  // namespace

void WatchForInterrupt() {
    Install(SIGINT);
    Install(SIGTERM);
}

bool InterruptRequested() {
    return interrupted.load();
}

}  // namespace korvane::batch
