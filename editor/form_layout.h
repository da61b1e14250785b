// The editor form's layout, for every backend to build its windows from: what each control is,
// where it sits (pixels at 96 dpi, relative to its parent) and how it starts.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

inline constexpr std::int32_t kFormWidth = 457;
inline constexpr std::int32_t kFormHeight = 281;

// Font of the form and of every control: "Times New Roman", character height 12 pixels, green
// (RGB 0, 128, 0), Shift-JIS character set.
inline constexpr const char* kFontFace = "Times New Roman";
inline constexpr std::int32_t kFontCharacterHeight = 12;
inline constexpr std::uint32_t kFontColourRgb = 0x008000;

enum class ControlKind : std::uint8_t { GroupBox, Label, TrackBar, RadioGroup, Knob, Memo, Image };

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

// Sliders, radio groups and the text box in keyboard order; nothing else takes the focus.
extern const std::array<const char*, 13> kTabOrder;

// Items of the radio group bound to `parameter` (Type or Wave); empty for any other.
std::span<const char* const> radioItems(std::int32_t parameter);

// The four lines of the about text.
extern const std::array<const char*, 4> kAboutLines;

// The row named `name`; null when there is none.
const ControlLayout* findControl(std::string_view name);

// A control's rectangle relative to the form's top-left corner.
ControlRect formRect(const ControlLayout& control);

// Rectangle of item `index` of a one-column radio group of size `group`, relative to the group,
// for a font whose text cell is `textHeight` pixels high: the items share the height below the
// caption evenly, with any odd pixels split above and below.
ControlRect radioItemRect(ControlRect group, std::int32_t itemCount, std::int32_t index,
                          std::int32_t textHeight);
