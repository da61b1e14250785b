// Parameter changes from the editor to the audio thread: a fixed ring for one writer and one
// reader, without locks or allocation, so that the process callback applies them in the order
// the user made them at the start of its next block.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

struct ParameterChange {
    std::int32_t index = 0;
    float value = 0.0f;
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

  private:
    std::array<ParameterChange, kCapacity> slots{};
    alignas(64) std::atomic<std::size_t> writeIndex{0};
    alignas(64) std::atomic<std::size_t> readIndex{0};
};
