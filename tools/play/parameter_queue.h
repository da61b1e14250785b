// Parameter changes and program choices from the editor to the audio thread: a fixed ring for
// one writer and one reader, without locks or allocation, so that the process callback applies
// them in the order the user made them at the start of its next block.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "synth/instrument.h"

struct ParameterChange {
    enum class Kind : std::uint8_t { Parameter, Program };
    std::int32_t index = 0; // the control index, or the program chosen
    float value = 0.0f;     // a parameter's
    Kind kind = Kind::Parameter;
};

class ParameterQueue {
  public:
    static constexpr std::size_t kCapacity = 1024;

    // [ui thread] False when the ring is full; the change is then dropped, and the editor's poll
    // shows the value the instrument still holds.
    bool push(ParameterChange change) {
        const std::size_t tail = writeIndex.load(std::memory_order_relaxed);
        const std::size_t next = (tail + 1) % kCapacity;
        if (next == readIndex.load(std::memory_order_acquire)) return false;
        slots[tail] = change;
        writeIndex.store(next, std::memory_order_release);
        return true;
    }

    // [audio thread] The oldest change into `change`; false when there is none.
    bool pop(ParameterChange& change) {
        const std::size_t head = readIndex.load(std::memory_order_relaxed);
        if (head == writeIndex.load(std::memory_order_acquire)) return false;
        change = slots[head];
        readIndex.store((head + 1) % kCapacity, std::memory_order_release);
        return true;
    }

    // [audio thread] Applies every queued change in order: a parameter as the instrument's
    // setParameter, a program as its selectProgram.
    void applyAll(Instrument& instrument) {
        ParameterChange change;
        while (pop(change)) {
            if (change.kind == ParameterChange::Kind::Program) {
                instrument.selectProgram(change.index);
                programs.fetch_add(1, std::memory_order_release);
            } else {
                instrument.setParameter(change.index, change.value);
            }
        }
    }
    // [any thread] How many program choices applyAll has applied: once it counts every choice
    // pushed, the instrument's current program tells the last of them, or what came after.
    std::uint32_t programsApplied() const { return programs.load(std::memory_order_acquire); }

  private:
    std::array<ParameterChange, kCapacity> slots{};
    alignas(64) std::atomic<std::size_t> writeIndex{0};
    alignas(64) std::atomic<std::size_t> readIndex{0};
    std::atomic<std::uint32_t> programs{0};
};
