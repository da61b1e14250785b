// A buffer handed to the plug-in with a guard zone on each side. The guards hold a fill pattern
// that the plug-in must leave as it is; under AddressSanitizer they are poisoned as well, so that
// any read or write of them is reported where it happens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "tests/hardening/sanitizers.h"

class GuardedBytes {
  public:
    static constexpr std::size_t kGuard = 256;
    static constexpr std::uint8_t kPattern = 0xA5;

    explicit GuardedBytes(std::size_t size)
        : bytes(size), storage(new std::uint8_t[size + 2 * kGuard]) {
        std::memset(storage.get(), kPattern, kGuard);
        std::memset(storage.get() + kGuard, 0, bytes);
        std::memset(storage.get() + kGuard + bytes, kPattern, kGuard);
        poisonGuards();
    }
    ~GuardedBytes() { unpoisonMemory(storage.get(), bytes + 2 * kGuard); }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    std::uint8_t* data() { return storage.get() + kGuard; }
    std::size_t size() const { return bytes; }

    // True when neither guard zone changed.
    bool guardsIntact() {
        unpoisonMemory(storage.get(), bytes + 2 * kGuard);
        bool intact = true;
        for (std::size_t i = 0; i < kGuard; ++i)
            intact = intact && storage[i] == kPattern && storage[kGuard + bytes + i] == kPattern;
        poisonGuards();
        return intact;
    }

  private:
    void poisonGuards() {
        poisonMemory(storage.get(), kGuard);
        poisonMemory(storage.get() + kGuard + bytes, kGuard);
    }

    std::size_t bytes;
    std::unique_ptr<std::uint8_t[]> storage; // new[] aligns for any fundamental type
};

// `count` samples between guards.
class GuardedSamples {
  public:
    explicit GuardedSamples(std::size_t count) : buffer(count * sizeof(float)), count(count) {}
    float* data() { return reinterpret_cast<float*>(buffer.data()); }
    std::size_t size() const { return count; }
    bool guardsIntact() { return buffer.guardsIntact(); }

  private:
    GuardedBytes buffer;
    std::size_t count;
};
