// The editor form's layout, for every backend to build its windows from: what each control is,
// where it sits (pixels at 96 dpi, relative to its parent) and how it starts.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

inline constexpr std::int32_t kFormWidth = 457;
inline constexpr std::int32_t kFormHeight = 281;

// Font of the form and of every control: "Times New Roman", character height 12 pixels, green
// (RGB 0, 128, 0), Shift-JIS character set.
inline constexpr const char* kFontFace = "Times New Roman";
inline constexpr std::int32_t kFontCharacterHeight = 12;
inline constexpr std::uint32_t kFontColourRgb = 0x008000;

// Caption: a label centred in its rectangle; ValueText: the bound control's value as text
// (synth/control_text.h), centred likewise. The program chooser's: ProgramList, a list box of
// the programs' names; ProgramName, a read-only field with the current program's number and
// name; PreviousButton and NextButton, push buttons that step through the programs.
enum class ControlKind : std::uint8_t {
    GroupBox,
    Label,
    TrackBar,
    RadioGroup,
    Knob,
    Memo,
    Image,
    Caption,
    ValueText,
    ProgramList,
    ProgramName,
    PreviousButton,
    NextButton,
    TuningText,
    ResetTuningButton
};

struct ControlRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t width;
    std::int32_t height;
    bool operator==(const ControlRect&) const = default;
};

struct ControlLayout {
    const char* name;
    ControlKind kind;
    const char* parent;             // null: the form itself
    ControlRect rect;               // relative to the parent's top-left corner
    const char* caption = "";       // group boxes, labels and radio groups
    std::int32_t parameter = -1;    // bound parameter index, or -1
    std::int32_t position = 0;      // initial position, or selected item, of a bound control
    std::int32_t tickFrequency = 0; // sliders: a tick every so many steps
    bool flat = false;              // a group box drawn without 3-D edge
};

// Every control of the form, each after its parent (the 100 ms timer has no window).
extern const std::array<ControlLayout, 36> kFormLayout;

// The strip of playing controls that the LV2 UI and the player show below the classic form, in
// its look: sliders with a caption and their value as text, and the envelope curve as a radio
// group. The player adds the program chooser below the strip; a host has its own preset menu.
// The VST 2 editor is the classic form alone.
enum class FormExtent : std::uint8_t { Classic, WithPlayingStrip, WithProgramChooser };
inline constexpr std::int32_t kStripHeight = 175;
inline constexpr std::int32_t kChooserHeight = 165;
std::int32_t formHeight(FormExtent extent);

// Every control of the strip, each after its parent; the strip's frame sits just below the
// classic form.
extern const std::array<ControlLayout, 26> kStripLayout;

// Where the oscillator switch sits, relative to the form: below the envelope curve's radio group.
inline constexpr ControlRect kOscillatorSlot = {356, 366, 93, 60};

// The program chooser, each row after its parent; its frame sits just below the strip. The list
// holds kChooserRows rows of kChooserItemHeight pixels in kChooserColumns columns, filled a
// column at a time, inside a two-pixel edge.
extern const std::array<ControlLayout, 5> kChooserLayout;
inline constexpr std::int32_t kChooserProgramCount = 32; // the instrument's programs
inline constexpr std::int32_t kChooserColumns = 4;
inline constexpr std::int32_t kChooserRows = 8;
inline constexpr std::int32_t kChooserItemHeight = 14;
static_assert(kChooserColumns * kChooserRows == kChooserProgramCount);

// The rows of a form of `extent`: the classic layout, then the strip's when it has one, then the
// chooser's.
std::vector<const ControlLayout*> formRows(FormExtent extent);

// Sliders, radio groups and the text box in keyboard order; nothing else takes the focus.
extern const std::array<const char*, 13> kTabOrder;

// Items of the radio group bound to `parameter` (Type, Wave, EnvCurve or Oscillators); empty for
// any other.
std::span<const char* const> radioItems(std::int32_t parameter);

// The four lines of the about text.
extern const std::array<const char*, 4> kAboutLines;

// The row named `name`, of the classic form, the strip or the chooser; null when there is none.
const ControlLayout* findControl(std::string_view name);

// A control's rectangle relative to the form's top-left corner.
ControlRect formRect(const ControlLayout& control);

// Rectangle of item `index` of a one-column radio group of size `group`, relative to the group,
// for a font whose text cell is `textHeight` pixels high: the items share the height below the
// caption evenly, with any odd pixels split above and below.
ControlRect radioItemRect(ControlRect group, std::int32_t itemCount, std::int32_t index,
                          std::int32_t textHeight);
