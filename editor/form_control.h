// A control bound to one parameter, as the editor form sees it, whatever the windowing backend:
// a position (or selected item), a way to set it from code, and a change event.
#pragma once

#include <cstdint>
#include <functional>

class FormControl {
  public:
    FormControl() = default;
    virtual ~FormControl() = default;
    FormControl(const FormControl&) = delete;
    FormControl& operator=(const FormControl&) = delete;

    // [ui thread] Current position, or the selected item of a radio group.
    virtual std::int32_t position() const = 0;
    // [ui thread] Moves the control, kept within its range, and raises OnChange exactly as a
    // move by the user does: the form relies on both paths running the same handler.
    virtual void setPosition(std::int32_t value) = 0;
    // [ui thread] True while the user holds the control (a knob being dragged).
    virtual bool dragging() const { return false; }

    // Raised on every change by the user and on every setPosition; may be unset.
    std::function<void()> OnChange;

  protected:
    void raiseChange() {
        if (OnChange) OnChange();
    }
};
