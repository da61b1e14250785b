#include "tools/play/stop_signals.h"

#include <atomic>
#include <csignal>

namespace {

std::atomic<int> received{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch lock-free state");

void onStop(int signal) {
    received.store(signal, std::memory_order_relaxed);
}

} // namespace

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int stopSignal() {
    return received.load(std::memory_order_relaxed);
}
