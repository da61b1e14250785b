// TForm1: the editor form's behaviour, free of any windowing toolkit. Sixteen controls bound one
// to one to the parameters; a control the user moves writes its parameter through the link, and a
// 100 ms timer polls every parameter through it and moves the controls that are out of step.
// Nothing notifies the form of changes made elsewhere.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "editor/form_control.h"
#include "editor/form_layout.h"
#include "editor/parameter_link.h"
#include "editor/tsumami.h"
#include "synth/parameters.h"

class TForm1 {
  public:
    // The knobs at their layout positions, no handler attached yet.
    TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // [ui thread] The backend attaches each slider and radio group, at its layout position,
    // before FormCreate; the knobs are the form's own and attached already.
    void attachControl(std::int32_t parameter, FormControl& control);
    // The control bound to `parameter`; null when none is attached or the index is out of range.
    FormControl* boundControl(std::int32_t parameter) const;
    // The knob bound to `parameter` (CutOff, Q, Env, Smooth); null for any other.
    TTsumami* knobFor(std::int32_t parameter);

    // [ui thread] Once, after the controls exist: attaches the change handlers and sets every
    // ShownValue to the value of its control's layout position.
    void FormCreate();
    // [ui thread] Moves every control whose position differs from its ShownValue (a dragged knob
    // is left alone); each move runs the control's change handler. Draws nothing.
    void FormPaint();
    // [ui thread] Every 100 ms: polls the sixteen parameters, then repaints synchronously.
    void Timer1Timer();
    // [ui thread] Reads parameter `p`; when its control is not where the value says, stores the
    // value quantised to the control's steps in ShownValue[p]. Never moves a control or writes.
    void PollParameter(std::int32_t p);

    // Change handlers, one per bound control.
    void TrackBar3Change() { controlChanged(Attack); }
    void TrackBar4Change() { controlChanged(Decay); }
    void TrackBar5Change() { controlChanged(Sustain); }
    void TrackBar6Change() { controlChanged(Release); }
    void Tsumami3Change() { controlChanged(CutOff); }
    void Tsumami4Change() { controlChanged(Q); }
    void RadioGroup1Click() { controlChanged(Type); }
    void Tsumami5Change() { controlChanged(Env); }
    void TrackBar7Change() { controlChanged(Drawbar2); }
    void TrackBar8Change() { controlChanged(Drawbar4); }
    void TrackBar9Change() { controlChanged(Drawbar8); }
    void TrackBar10Change() { controlChanged(Drawbar16); }
    void TrackBar12Change() { controlChanged(Drawbar6); }
    void TrackBar11Change() { controlChanged(Drawbar3); }
    void RadioGroup2Click() { controlChanged(Wave); }
    void Tsumami1Change() { controlChanged(Smooth); }

    ParameterLink* Synth = nullptr; // the instrument; not owned, set before the form is shown
    // The text box's four lines: the VST 2 editor's by default; the other fronts name their own
    // build and version. Set before the form is shown; the lines must outlive it.
    std::span<const char* const> AboutLines = kAboutLines;
    // By parameter index: the value each control is meant to show.
    std::array<float, kParameterCount> ShownValue{};
    // Set by the form's window: invalidates the whole form and runs FormPaint before returning.
    // Unset, Timer1Timer runs FormPaint itself.
    std::function<void()> RepaintNow;

    TTsumami Tsumami1; // Smooth
    TTsumami Tsumami3; // CutOff
    TTsumami Tsumami4; // Q
    TTsumami Tsumami5; // Env

  private:
    // Sends the value of the control's position unless ShownValue holds it exactly.
    void controlChanged(std::int32_t p);

    std::array<FormControl*, kParameterCount> controls{}; // by parameter index
};
