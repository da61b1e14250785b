#include "tools/common/stop_signals.h"

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

std::atomic<bool> stopFlag{false};
std::atomic<int> firstSignal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the handler may only touch lock-free state");

void onStopSignal(int signal) {
    int none = 0;
    firstSignal.compare_exchange_strong(none, signal);
    stopFlag.store(true);
}

const char* nameOf(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    case SIGQUIT:
        return "SIGQUIT";
    case SIGPIPE:
        return "SIGPIPE";
    }
    return "a signal";
}

} // namespace

void installStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted reads and writes carry on; the flag is looked at between blocks.
    action.sa_flags = SA_RESTART;
    for (const int signal : kStopSignals)
        sigaction(signal, &action, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
}

const std::atomic<bool>& stopRequested() {
    return stopFlag;
}

int caughtSignal() {
    return firstSignal.load();
}

std::string interruptionText() {
    return std::string("interrupted by ") + nameOf(caughtSignal());
}

void dieOfCaughtSignal() {
    const int signal = caughtSignal();
    if (signal == SIGQUIT) {
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
    }
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    std::_Exit(128 + signal); // not reached: every stop signal ends the program by default
}
