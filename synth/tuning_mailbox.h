// Hands a whole tuning table from a thread that may wait (a file load, a state restore) to the
// audio thread, which never waits: one slot, and a state word that says who holds it.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "synth/tuning/tuning_table.h"

class TuningMailbox {
  public:
    // [any thread but the audio thread] Replaces a table not taken yet. Waits only while the
    // audio thread copies the previous one out, which takes well under a microsecond.
    void post(const TuningTable& table) {
        for (;;) {
            std::uint32_t expected = state.load(std::memory_order_acquire);
            if ((expected == Empty || expected == Full) &&
                state.compare_exchange_weak(expected, Writing, std::memory_order_acq_rel))
                break;
            std::this_thread::yield();
        }
        slot = table;
        state.store(Full, std::memory_order_release);
    }

    // [audio thread] Copies a posted table into `table`; false, at the cost of one load, when
    // none waits or one is being written.
    bool take(TuningTable& table) {
        if (state.load(std::memory_order_relaxed) != Full) return false;
        std::uint32_t expected = Full;
        if (!state.compare_exchange_strong(expected, Reading, std::memory_order_acquire))
            return false;
        table = slot;
        state.store(Empty, std::memory_order_release);
        return true;
    }

  private:
    enum : std::uint32_t { Empty, Writing, Full, Reading };
    std::atomic<std::uint32_t> state{Empty};
    TuningTable slot{};
};
