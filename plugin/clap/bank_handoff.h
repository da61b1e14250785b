// A bank restored on the main thread while the audio thread plays: every program's values and the
// program to settle wait in one slot until the audio thread takes them between two blocks, so
// that the instrument never changes under a render. One writer (the main thread), one reader.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <thread>

#include "synth/instrument.h"

struct BankValues {
    std::array<std::array<float, kControlCount>, kProgramCount> programs{}; // by control index
    std::int32_t current = 0;
};

class BankHandoff {
  public:
    // [main thread] Leaves `bank` for the next take, replacing one not yet taken. Waits only
    // while the audio thread is applying an earlier bank, which takes microseconds.
    void publish(const BankValues& bank) {
        for (;;) {
            State seen = state.load(std::memory_order_acquire);
            if (seen == Applying) {
                std::this_thread::yield();
                continue;
            }
            if (seen == Ready && !state.compare_exchange_strong(seen, Free)) continue;
            break;
        }
        slot = bank;
        state.store(Ready, std::memory_order_release);
    }

    // [the thread that renders, or the main thread once it no longer runs] Applies a waiting
    // bank to `instrument`: every program's values, then the current program settled. No
    // allocation, lock or wait. True when there was one.
    bool take(Instrument& instrument) {
        // Nearly every block finds nothing waiting: one plain load tells.
        State expected = Ready;
        if (state.load(std::memory_order_relaxed) != Ready ||
            !state.compare_exchange_strong(expected, Applying, std::memory_order_acquire))
            return false;
        for (std::int32_t p = 0; p < kProgramCount; ++p)
            for (std::int32_t index = 0; index < kControlCount; ++index)
                instrument.setProgramValue(p, index, slot.programs[p][index]);
        instrument.settleProgram(slot.current);
        state.store(Free, std::memory_order_release);
        return true;
    }

  private:
    enum State : int { Free, Ready, Applying };
    BankValues slot;
    std::atomic<State> state{Free};
};
