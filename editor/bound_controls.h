// The one walk over the layout (and the strip's and the chooser's rows when the form has them)
// that makes the form's bound controls, for every backend: a slider, radio group or program list
// row gets the backend's own control, which the walk attaches to the form; a knob row hands the
// backend the form's knob with its place.
#pragma once

#include <functional>

#include "editor/form_layout.h"

class FormControl;
class TForm1;
class TTsumami;

struct BoundControlMakers {
    // Each makes the control of `row`, placed at `rect` (relative to the form), and keeps it: the
    // form only refers to it.
    std::function<FormControl&(const ControlLayout& row, ControlRect rect)> trackBar;
    std::function<FormControl&(const ControlLayout& row, ControlRect rect)> radioGroup;
    // May be unset: a backend that draws no knobs.
    std::function<void(TTsumami& knob, ControlRect rect)> knob;
    // May be unset: a backend without the program chooser.
    std::function<FormControl&(const ControlLayout& row, ControlRect rect)> programList;
};

// [ui thread] Before FormCreate, which hooks the change handlers onto what this attached.
void buildBoundControls(TForm1& form, const BoundControlMakers& makers);
