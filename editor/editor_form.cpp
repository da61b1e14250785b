#include "editor/editor_form.h"

#include <algorithm>

#include "editor/form_layout.h"
#include "editor/parameter_binding.h"

namespace {

using Handler = void (TForm1::*)();

// Which handler each parameter's control runs, by parameter index.
constexpr std::array<Handler, kParameterCount> kHandlers = {
    &TForm1::TrackBar3Change,  &TForm1::TrackBar4Change,  &TForm1::TrackBar5Change,
    &TForm1::TrackBar6Change,  &TForm1::Tsumami3Change,   &TForm1::Tsumami4Change,
    &TForm1::RadioGroup1Click, &TForm1::Tsumami5Change,   &TForm1::TrackBar7Change,
    &TForm1::TrackBar8Change,  &TForm1::TrackBar9Change,  &TForm1::TrackBar10Change,
    &TForm1::TrackBar12Change, &TForm1::TrackBar11Change, &TForm1::RadioGroup2Click,
    &TForm1::Tsumami1Change};

// The order in which FormPaint visits the controls: TrackBar3 to TrackBar6, RadioGroup1, the
// three filter knobs, TrackBar7 to TrackBar12, RadioGroup2, Tsumami1. A host sees the reports of
// one repaint in this order.
constexpr std::array<std::int32_t, kParameterCount> kPaintOrder = {
    Attack,   Decay,    Sustain,  Release,   Type,     CutOff,   Q,    Env,
    Drawbar2, Drawbar4, Drawbar8, Drawbar16, Drawbar3, Drawbar6, Wave, Smooth};

std::int32_t layoutPosition(const char* name) {
    return findControl(name)->position;
}

} // namespace

TForm1::TForm1() {
    Tsumami1.SetPosition(layoutPosition("Tsumami1"));
    Tsumami3.SetPosition(layoutPosition("Tsumami3"));
    Tsumami4.SetPosition(layoutPosition("Tsumami4"));
    Tsumami5.SetPosition(layoutPosition("Tsumami5"));
    controls[Smooth] = &Tsumami1;
    controls[CutOff] = &Tsumami3;
    controls[Q] = &Tsumami4;
    controls[Env] = &Tsumami5;
}

void TForm1::attachControl(std::int32_t parameter, FormControl& control) {
    if (isParameterIndex(parameter)) controls[parameter] = &control;
}

FormControl* TForm1::boundControl(std::int32_t parameter) const {
    return isParameterIndex(parameter) ? controls[parameter] : nullptr;
}

TTsumami* TForm1::knobFor(std::int32_t parameter) {
    switch (parameter) {
    case Smooth:
        return &Tsumami1;
    case CutOff:
        return &Tsumami3;
    case Q:
        return &Tsumami4;
    case Env:
        return &Tsumami5;
    default:
        return nullptr;
    }
}

void TForm1::FormCreate() {
    for (std::int32_t p = 0; p < kParameterCount; ++p)
        if (controls[p] != nullptr) controls[p]->OnChange = [this, p] { (this->*kHandlers[p])(); };
    for (const ControlLayout& control : kFormLayout)
        if (isParameterIndex(control.parameter))
            ShownValue[control.parameter] =
                static_cast<float>(kBindings[control.parameter].valueAt(control.position));
}

void TForm1::controlChanged(std::int32_t p) {
    const double x = kBindings[p].valueAt(controls[p]->position());
    // Compared at double precision: a value that single precision cannot hold exactly (0.94 on
    // an envelope slider) differs from its stored ShownValue and is sent again on every change
    // event; 0, 0.5 and 1 are sent only when they differ.
    if (x == ShownValue[p]) return;
    ShownValue[p] = static_cast<float>(x);
    if (Synth != nullptr) Synth->writeParameter(p, ShownValue[p]);
}

void TForm1::PollParameter(std::int32_t p) {
    if (!isParameterIndex(p) || controls[p] == nullptr || Synth == nullptr) return;
    const ParameterBinding& binding = kBindings[p];
    const std::int32_t k = binding.stepsFor(Synth->readParameter(p));
    const std::int32_t expected = binding.reversed ? binding.steps - k : k;
    if (controls[p]->position() != expected)
        ShownValue[p] = static_cast<float>(static_cast<double>(k) / binding.steps);
}

void TForm1::FormPaint() {
    for (std::int32_t p : kPaintOrder) {
        FormControl* control = controls[p];
        if (control == nullptr || control->dragging()) continue; // never pull a knob from the mouse
        const ParameterBinding& binding = kBindings[p];
        // A host may set any float: the position stays within the control's range, which a
        // knob's 101-entry pointer tables rely on.
        const std::int32_t wanted =
            std::clamp(binding.positionFor(ShownValue[p]), 0, binding.steps);
        if (wanted != control->position()) control->setPosition(wanted);
    }
}

void TForm1::Timer1Timer() {
    for (std::int32_t p = 0; p < kParameterCount; ++p)
        PollParameter(p);
    if (RepaintNow)
        RepaintNow();
    else
        FormPaint();
}
