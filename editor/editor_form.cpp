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

TForm1::TForm1(FormExtent extent) : formExtent(extent) {
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
    if (isControlIndex(parameter)) controls[parameter] = &control;
}

FormControl* TForm1::boundControl(std::int32_t parameter) const {
    return isControlIndex(parameter) ? controls[parameter] : nullptr;
}

float TForm1::valueShownBy(std::int32_t p) const {
    if (isParameterIndex(p)) return ShownValue[p];
    return isControlIndex(p) ? playingShown[p - kParameterCount] : 0.0f;
}

float TForm1::playingValue(std::int32_t p) const {
    return isControlIndex(p) && !isParameterIndex(p) ? playingHeld[p - kParameterCount] : 0.0f;
}

std::string TForm1::playingText(std::int32_t p) const {
    return Synth != nullptr ? Synth->valueText(p, playingValue(p)) : std::string();
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
    for (std::int32_t p = kParameterCount; p < kControlCount; ++p)
        if (controls[p] != nullptr) controls[p]->OnChange = [this, p] { controlChanged(p); };
    for (const ControlLayout* control : formRows(formExtent))
        if (control->kind != ControlKind::ValueText && isControlIndex(control->parameter))
            shown(control->parameter) =
                static_cast<float>(kBindings[control->parameter].valueAt(control->position));
    playingHeld = playingShown;
    if (programListControl != nullptr) {
        programListControl->OnChange = [this] { ProgramListClick(); };
        programShown = programListControl->position();
    }
}

const std::string& TForm1::programName(std::int32_t p) const {
    static const std::string none;
    return p >= 0 && p < kChooserProgramCount ? names[p] : none;
}

void TForm1::ProgramListClick() {
    const std::int32_t p = programListControl->position();
    if (p == programShown) return; // the form's own move, after a poll
    programShown = p;
    if (Programs != nullptr) Programs->selectProgram(p);
}

void TForm1::stepProgram(std::int32_t delta) {
    if (programListControl == nullptr) return;
    const std::int32_t n = kChooserProgramCount;
    programListControl->setPosition(((programShown + delta) % n + n) % n);
}

void TForm1::PollPrograms() {
    if (!hasProgramChooser() || Programs == nullptr) return;
    const std::int32_t p = Programs->readProgram();
    if (p >= 0 && p < kChooserProgramCount) programShown = p;
    bool renamed = false;
    for (std::int32_t i = 0; i < kChooserProgramCount; ++i) {
        std::string name = Programs->programName(i);
        if (name == names[i]) continue;
        names[i] = std::move(name);
        renamed = true;
    }
    if (renamed) ++namesRevision;
}

void TForm1::controlChanged(std::int32_t p) {
    const double x = kBindings[p].valueAt(controls[p]->position());
    // Compared at double precision: a value that single precision cannot hold exactly (0.94 on
    // an envelope slider) differs from its stored ShownValue and is sent again on every change
    // event; 0, 0.5 and 1 are sent only when they differ.
    if (x == shown(p)) return;
    shown(p) = static_cast<float>(x);
    if (!isParameterIndex(p)) playingHeld[p - kParameterCount] = shown(p);
    if (Synth != nullptr) Synth->writeParameter(p, shown(p));
}

void TForm1::PollParameter(std::int32_t p) {
    if (!isControlIndex(p) || controls[p] == nullptr || Synth == nullptr) return;
    const ParameterBinding& binding = kBindings[p];
    const float value = Synth->readParameter(p);
    if (!isParameterIndex(p)) playingHeld[p - kParameterCount] = value;
    const std::int32_t k = binding.stepsFor(value);
    const std::int32_t expected = binding.reversed ? binding.steps - k : k;
    if (controls[p]->position() != expected) shown(p) = static_cast<float>(binding.valueOfSteps(k));
}

void TForm1::FormPaint() {
    for (std::int32_t i = 0; i < kControlCount; ++i) {
        // The strip's controls after the classic ones, in index order.
        const std::int32_t p = i < kParameterCount ? kPaintOrder[i] : i;
        FormControl* control = controls[p];
        if (control == nullptr || control->dragging()) continue; // never pull a knob from the mouse
        const ParameterBinding& binding = kBindings[p];
        // A host may set any float: the position stays within the control's range, which a
        // knob's 101-entry pointer tables rely on.
        const std::int32_t wanted = std::clamp(binding.positionFor(shown(p)), 0, binding.steps);
        if (wanted != control->position()) control->setPosition(wanted);
    }
    if (programListControl != nullptr && programListControl->position() != programShown)
        programListControl->setPosition(programShown);
}

void TForm1::Timer1Timer() {
    for (std::int32_t p = 0; p < polledCount(); ++p)
        PollParameter(p);
    PollPrograms();
    if (hasPlayingStrip() && Tuning != nullptr) {
        std::string name = Tuning->tuningName();
        if (name != tuningName) {
            tuningName = std::move(name);
            ++tuningNameRevision;
        }
    }
    if (RepaintNow)
        RepaintNow();
    else
        FormPaint();
}
