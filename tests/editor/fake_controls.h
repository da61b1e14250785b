// Stand-ins for the native sliders and radio groups: a position within 0..steps that the test
// moves as a user would, counting the moves the form makes from code.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "editor/editor_form.h"
#include "editor/form_control.h"
#include "editor/form_layout.h"
#include "editor/parameter_binding.h"

class FakeControl : public FormControl {
  public:
    FakeControl(std::int32_t steps, std::int32_t position) : steps(steps), current(position) {}

    std::int32_t position() const override { return current; }
    void setPosition(std::int32_t value) override {
        ++codeMoves;
        current = std::clamp(value, 0, steps);
        raiseChange();
    }
    // A move by the user: the same change event, not counted as a move from code.
    void userMove(std::int32_t value) {
        current = std::clamp(value, 0, steps);
        raiseChange();
    }

    std::int32_t steps;
    std::int32_t current;
    int codeMoves = 0;
};

// Builds fakes for every slider and radio group of the layout and attaches them to `form`.
inline std::vector<std::unique_ptr<FakeControl>> attachFakes(TForm1& form) {
    std::vector<std::unique_ptr<FakeControl>> fakes;
    for (const ControlLayout& control : kFormLayout) {
        if (control.kind != ControlKind::TrackBar && control.kind != ControlKind::RadioGroup)
            continue;
        fakes.push_back(
            std::make_unique<FakeControl>(kBindings[control.parameter].steps, control.position));
        form.attachControl(control.parameter, *fakes.back());
    }
    return fakes;
}
