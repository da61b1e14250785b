// A bound control that lives in memory only: a position within 0..steps and its change event.
#pragma once

#include <algorithm>
#include <cstdint>

#include "editor/form_control.h"

class MemoryControl : public FormControl {
  public:
    MemoryControl(std::int32_t steps, std::int32_t position) : steps(steps), current(position) {}

    std::int32_t position() const override { return current; }
    void setPosition(std::int32_t value) override {
        current = std::clamp(value, 0, steps);
        raiseChange();
    }

  private:
    std::int32_t steps;
    std::int32_t current;
};
