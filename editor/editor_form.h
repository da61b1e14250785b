// TForm1: the editor form's behaviour, free of any windowing toolkit. Sixteen controls bound one
// to one to the parameters, and with the playing strip seven more bound to the playing controls;
// a control the user moves writes its parameter through the link, and a 100 ms timer polls every
// bound parameter through it and moves the controls that are out of step. Nothing notifies the
// form of changes made elsewhere. With the program chooser, the timer polls the current program
// and the programs' names as well, and a choice in the list or a step of its buttons selects a
// program through the program link.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "editor/form_control.h"
#include "editor/form_layout.h"
#include "editor/parameter_link.h"
#include "editor/program_link.h"
#include "editor/tsumami.h"
#include "editor/tuning_link.h"
#include "synth/parameters.h"

class TForm1 {
  public:
    static constexpr std::int32_t kPlayingCount = kControlCount - kParameterCount;

    // The knobs at their layout positions, no handler attached yet. The VST 2 editor is the
    // classic form; the LV2 UI adds the playing strip, the player the program chooser too.
    explicit TForm1(FormExtent extent = FormExtent::Classic);
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    FormExtent extent() const { return formExtent; }
    bool hasPlayingStrip() const { return formExtent != FormExtent::Classic; }
    bool hasProgramChooser() const { return formExtent == FormExtent::WithProgramChooser; }

    // [ui thread] The backend attaches each slider and radio group, at its layout position,
    // before FormCreate; the knobs are the form's own and attached already. `parameter` is any
    // control index.
    void attachControl(std::int32_t parameter, FormControl& control);
    // The control bound to control index `parameter`; null when none is attached or the index is
    // out of range.
    FormControl* boundControl(std::int32_t parameter) const;
    // The knob bound to `parameter` (CutOff, Q, Env, Smooth); null for any other.
    TTsumami* knobFor(std::int32_t parameter);
    // [ui thread] The chooser's list, whose position is the program, attached by the backend
    // before FormCreate.
    void attachProgramList(FormControl& list) { programListControl = &list; }
    FormControl* programList() const { return programListControl; }

    // [ui thread] Once, after the controls exist: attaches the change handlers and sets every
    // ShownValue to the value of its control's layout position.
    void FormCreate();
    // [ui thread] Moves every control whose position differs from its ShownValue (a dragged knob
    // is left alone); each move runs the control's change handler. Draws nothing.
    void FormPaint();
    // [ui thread] Every 100 ms: polls the sixteen parameters (and the strip's seven), then
    // repaints synchronously.
    void Timer1Timer();
    // [ui thread] Reads parameter `p`; when its control is not where the value says, stores the
    // value quantised to the control's steps as the value it shows (ShownValue[p] for the
    // classic ones). Never moves a control or writes.
    void PollParameter(std::int32_t p);

    // [ui thread] Reads the current program and every program's name; stores the program as the
    // one the list is meant to show. Never moves the list or selects.
    void PollPrograms();
    // The program the list is meant to show.
    std::int32_t shownProgram() const { return programShown; }
    // Program `p`'s name as last polled; empty outside or before the first poll.
    const std::string& programName(std::int32_t p) const;
    // Counts the polls that found a name changed, for a window to know when to redraw them.
    std::uint32_t programNamesRevision() const { return namesRevision; }

    // The value the control of `p` is meant to show, for any control index; 0 outside.
    float valueShownBy(std::int32_t p) const;
    // A playing control's value as the form last read or wrote it, which its text shows: a
    // value between two of the control's steps is told as it is. 0 for any other index.
    float playingValue(std::int32_t p) const;
    // That value as its text tells it, through the link; empty without one.
    std::string playingText(std::int32_t p) const;

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
    // The chooser's: the list's choice, and its buttons, which step to the program before or
    // after the shown one and wrap from the first to the last and back.
    void ProgramListClick();
    void PreviousButtonClick() { stepProgram(-1); }
    void NextButtonClick() { stepProgram(1); }
    // The strip's reset: equal temperament, through the tuning link.
    void ResetTuningClick() {
        if (Tuning != nullptr) Tuning->resetTuning();
    }

    // [ui thread] The strip's line about the tuning, as last polled: "Tuning: " and the scale's
    // name, or 12-TET without one.
    std::string tuningText() const {
        return "Tuning: " + (tuningName.empty() ? std::string("12-TET") : tuningName);
    }
    // Counts the polls that found the tuning's name changed, for a window to know when to redraw.
    std::uint32_t tuningRevision() const { return tuningNameRevision; }

    ParameterLink* Synth = nullptr;  // the instrument; not owned, set before the form is shown
    ProgramLink* Programs = nullptr; // its programs, for the chooser; likewise
    TuningLink* Tuning = nullptr;    // its tuning, for the strip; likewise, may stay unset
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
    float& shown(std::int32_t p) {
        return p < kParameterCount ? ShownValue[p] : playingShown[p - kParameterCount];
    }
    // The controls the timer polls: the classic ones, and the strip's when there is one.
    std::int32_t polledCount() const { return hasPlayingStrip() ? kControlCount : kParameterCount; }
    // Moves the list `delta` programs on, around the end; its change event selects.
    void stepProgram(std::int32_t delta);

    FormExtent formExtent;
    std::array<FormControl*, kControlCount> controls{}; // by control index
    // By control index from kParameterCount on: as ShownValue, and as last read or written.
    std::array<float, kPlayingCount> playingShown{};
    std::array<float, kPlayingCount> playingHeld{};
    FormControl* programListControl = nullptr;
    std::int32_t programShown = 0;
    std::array<std::string, kChooserProgramCount> names;
    std::uint32_t namesRevision = 0;
    std::string tuningName;
    std::uint32_t tuningNameRevision = 0;
};
