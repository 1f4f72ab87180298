#include "Interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "ExitStatus.h"

namespace korvane::batch {
namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set in a signal handler");

// The file to remove, copied before the handler is installed: the handler may only call
// async-signal-safe functions (unlink, _exit) and must not touch a std::string.
char fileToRemove[4096];

void RaiseFlag(int) {
    interrupted.store(true);
}

void RemoveAndExit(int) {
    unlink(fileToRemove);
    _exit(ExitInterrupted);
}

void Install(int signalNumber, void (*handler)(int), int flags) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    sigaction(signalNumber, &action, nullptr);
}

}  // namespace

void WatchForInterrupt() {
    // The default comes back after the first signal, so a second Ctrl-C ends at once.
    Install(SIGINT, RaiseFlag, SA_RESETHAND | SA_RESTART);
    Install(SIGTERM, RaiseFlag, SA_RESETHAND | SA_RESTART);
}

bool InterruptRequested() {
    return interrupted.load();
}

void RemoveOnInterrupt(const std::string& path) {
    if (path.size() >= sizeof fileToRemove) {
        return;  // keep the default: the program ends, the unfinished file stays
    }
    std::memcpy(fileToRemove, path.c_str(), path.size() + 1);
    Install(SIGINT, RemoveAndExit, 0);
    Install(SIGTERM, RemoveAndExit, 0);
}

}  // namespace korvane::batch
