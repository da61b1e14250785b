// One stored program: every control's value in storage order, and a name.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "synth/parameters.h"

inline constexpr std::size_t kProgramNameBytes = 24; // 23 characters and the terminator

class VstXSynthProgram {
  public:
    VstXSynthProgram() {
        for (std::int32_t i = 0; i < kControlCount; ++i)
            setValue(i, kParameterDefaults[i]);
        std::strcpy(name, "Basic");
    }
    // The copy routine: every value and the name.
    VstXSynthProgram& operator=(const VstXSynthProgram& other) {
        if (this == &other) return *this;
        for (std::int32_t slot = 0; slot < kControlCount; ++slot)
            values[slot].store(other.values[slot].load(std::memory_order_relaxed),
                               std::memory_order_relaxed);
        std::memcpy(name, other.name, sizeof name);
        return *this;
    }
    VstXSynthProgram(const VstXSynthProgram&) = delete;

    // [any thread] By parameter index.
    float value(std::int32_t index) const {
        return values[kStorageSlot[index]].load(std::memory_order_relaxed);
    }
    void setValue(std::int32_t index, float value) {
        values[kStorageSlot[index]].store(value, std::memory_order_relaxed);
    }

    char name[kProgramNameBytes]; // at most 23 characters and the terminator

  private:
    std::array<std::atomic<float>, kControlCount> values; // storage order
};
