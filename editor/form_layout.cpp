#include "editor/form_layout.h"

#include "synth/parameters.h"

namespace {
constexpr ControlKind GroupBox = ControlKind::GroupBox;
constexpr ControlKind Label = ControlKind::Label;
constexpr ControlKind TrackBar = ControlKind::TrackBar;
constexpr ControlKind RadioGroup = ControlKind::RadioGroup;
constexpr ControlKind Knob = ControlKind::Knob;
constexpr ControlKind Caption = ControlKind::Caption;
constexpr ControlKind ValueText = ControlKind::ValueText;

constexpr std::array<const char*, 3> kTypeItems = {"LowPass", "BandPass", "HiPass"};
constexpr std::array<const char*, 4> kWaveItems = {"Sin", "Saw", "Sqr", "Tri"};
} // namespace

// clang-format off
const std::array<ControlLayout, 36> kFormLayout = {{
    {"GroupBox1", GroupBox, nullptr, {0, 0, 457, 281}, "Ulvo Draw", -1, 0, 0, true},
    {"GroupBox7", GroupBox, "GroupBox1", {8, 16, 289, 145}, "DrawBars"},
    {"TrackBar7", TrackBar, "GroupBox7", {8, 16, 33, 113}, "", Drawbar2, 5, 1},
    {"TrackBar11", TrackBar, "GroupBox7", {40, 16, 33, 113}, "", Drawbar3, 5, 1},
    {"TrackBar8", TrackBar, "GroupBox7", {72, 16, 33, 113}, "", Drawbar4, 5, 1},
    {"TrackBar12", TrackBar, "GroupBox7", {104, 16, 33, 113}, "", Drawbar6, 5, 1},
    {"TrackBar9", TrackBar, "GroupBox7", {136, 16, 33, 113}, "", Drawbar8, 5, 1},
    {"TrackBar10", TrackBar, "GroupBox7", {168, 16, 33, 113}, "", Drawbar16, 5, 1},
    {"Label10", Label, "GroupBox7", {16, 128, 6, 12}, "2"},
    {"Label14", Label, "GroupBox7", {48, 128, 6, 12}, "3"},
    {"Label11", Label, "GroupBox7", {80, 128, 6, 12}, "4"},
    {"Label15", Label, "GroupBox7", {112, 128, 6, 12}, "6"},
    {"Label12", Label, "GroupBox7", {144, 128, 6, 12}, "8"},
    {"Label13", Label, "GroupBox7", {176, 128, 12, 12}, "16"},
    {"RadioGroup2", RadioGroup, "GroupBox7", {208, 8, 73, 81}, "WAVE", Wave, 0},
    {"Tsumami1", Knob, "GroupBox7", {224, 96, 25, 25}, "", Smooth, 0},
    {"Label1", Label, "GroupBox7", {216, 123, 38, 12}, "Smooth"},
    {"GroupBox4", GroupBox, "GroupBox1", {304, 16, 145, 145}, "Env"},
    {"TrackBar3", TrackBar, "GroupBox4", {8, 16, 33, 113}, "", Attack, 45, 5},
    {"TrackBar4", TrackBar, "GroupBox4", {40, 16, 33, 113}, "", Decay, 45, 5},
    {"TrackBar5", TrackBar, "GroupBox4", {72, 16, 33, 113}, "", Sustain, 25, 5},
    {"TrackBar6", TrackBar, "GroupBox4", {104, 16, 33, 113}, "", Release, 45, 5},
    {"Label6", Label, "GroupBox4", {16, 128, 8, 12}, "A"},
    {"Label7", Label, "GroupBox4", {48, 128, 8, 12}, "D"},
    {"Label8", Label, "GroupBox4", {80, 128, 7, 12}, "S"},
    {"Label9", Label, "GroupBox4", {112, 128, 8, 12}, "R"},
    {"GroupBox3", GroupBox, "GroupBox1", {8, 168, 233, 105}, "Filter"},
    {"RadioGroup1", RadioGroup, "GroupBox3", {8, 16, 97, 81}, "Type", Type, 0},
    {"Tsumami3", Knob, "GroupBox3", {112, 32, 33, 33}, "", CutOff, 50},
    {"Tsumami4", Knob, "GroupBox3", {152, 32, 33, 33}, "", Q, 0},
    {"Tsumami5", Knob, "GroupBox3", {192, 32, 33, 33}, "", Env, 50},
    {"Label3", Label, "GroupBox3", {112, 72, 34, 12}, "CutOff"},
    {"Label4", Label, "GroupBox3", {160, 72, 8, 12}, "Q"},
    {"Label5", Label, "GroupBox3", {200, 72, 19, 12}, "Env"},
    {"Image1", ControlKind::Image, "GroupBox1", {248, 168, 110, 25}},
    {"Memo1", ControlKind::Memo, "GroupBox1", {248, 200, 201, 73}},
}};
// clang-format on

// Columns of 50 pixels in each group: a slider 33 x 81 (a 62-pixel travel) with its caption and
// value centred below it. Each starts at its default. Below the groups, along the strip's bottom
// edge, the tuning in force and its reset.
// clang-format off
const std::array<ControlLayout, 26> kStripLayout = {{
    {"PlayingBox", GroupBox, nullptr, {0, kFormHeight, 457, kStripHeight}, "Playing", -1, 0, 0, true},
    {"LevelBox", GroupBox, "PlayingBox", {8, 16, 108, 129}, "Level"},
    {"VolumeSlider", TrackBar, "LevelBox", {8, 16, 33, 81}, "", Volume, 12, 6},
    {"VolumeCaption", Caption, "LevelBox", {0, 97, 50, 12}, "Volume"},
    {"VolumeValue", ValueText, "LevelBox", {0, 109, 50, 12}, "", Volume},
    {"VelocitySlider", TrackBar, "LevelBox", {58, 16, 33, 81}, "", VelocitySense, 0, 2},
    {"VelocityCaption", Caption, "LevelBox", {50, 97, 50, 12}, "Velocity"},
    {"VelocityValue", ValueText, "LevelBox", {50, 109, 50, 12}, "", VelocitySense},
    {"PitchBox", GroupBox, "PlayingBox", {124, 16, 158, 129}, "Pitch"},
    {"BendSlider", TrackBar, "PitchBox", {8, 16, 33, 81}, "", BendRange, 22, 12},
    {"BendCaption", Caption, "PitchBox", {0, 97, 50, 12}, "Bend"},
    {"BendValue", ValueText, "PitchBox", {0, 109, 50, 12}, "", BendRange},
    {"RateSlider", TrackBar, "PitchBox", {58, 16, 33, 81}, "", VibratoRate, 26, 4},
    {"RateCaption", Caption, "PitchBox", {50, 97, 50, 12}, "Vib Rate"},
    {"RateValue", ValueText, "PitchBox", {50, 109, 50, 12}, "", VibratoRate},
    {"DepthSlider", TrackBar, "PitchBox", {108, 16, 33, 81}, "", VibratoDepth, 35, 5},
    {"DepthCaption", Caption, "PitchBox", {100, 97, 50, 12}, "Vib Depth"},
    {"DepthValue", ValueText, "PitchBox", {100, 109, 50, 12}, "", VibratoDepth},
    {"EnvBox", GroupBox, "PlayingBox", {290, 16, 58, 129}, "Env"},
    {"ScaleSlider", TrackBar, "EnvBox", {8, 16, 33, 81}, "", EnvScale, 60, 8},
    {"ScaleCaption", Caption, "EnvBox", {0, 97, 50, 12}, "Scale"},
    {"ScaleValue", ValueText, "EnvBox", {0, 109, 50, 12}, "", EnvScale},
    {"CurveRadio", RadioGroup, "PlayingBox", {356, 16, 93, 60}, "Env Curve", EnvCurve, 1},
    {"OscillatorRadio", RadioGroup, "PlayingBox", {356, 85, 93, 60}, "Oscillators", Oscillators, 1},
    {"TuningText", ControlKind::TuningText, "PlayingBox", {8, 151, 380, 16}},
    {"ResetTuningButton", ControlKind::ResetTuningButton, "PlayingBox", {394, 149, 55, 20}, "Reset"},
}};
// clang-format on

// The buttons either side of the name, both as high as it; the list below them, as wide as the
// three together, four columns of 109 pixels and eight rows inside its edge.
// clang-format off
const std::array<ControlLayout, 5> kChooserLayout = {{
    {"ProgramBox", GroupBox, nullptr, {0, kFormHeight + kStripHeight, 457, kChooserHeight}, "Program", -1, 0, 0, true},
    {"PreviousButton", ControlKind::PreviousButton, "ProgramBox", {8, 16, 25, 21}},
    {"ProgramName", ControlKind::ProgramName, "ProgramBox", {37, 16, 383, 21}},
    {"NextButton", ControlKind::NextButton, "ProgramBox", {424, 16, 25, 21}},
    {"ProgramList", ControlKind::ProgramList, "ProgramBox", {8, 41, 441, 116}},
}};
// clang-format on

std::int32_t formHeight(FormExtent extent) {
    switch (extent) {
    case FormExtent::Classic:
        break;
    case FormExtent::WithPlayingStrip:
        return kFormHeight + kStripHeight;
    case FormExtent::WithProgramChooser:
        return kFormHeight + kStripHeight + kChooserHeight;
    }
    return kFormHeight;
}

std::vector<const ControlLayout*> formRows(FormExtent extent) {
    std::vector<const ControlLayout*> rows;
    for (const ControlLayout& row : kFormLayout)
        rows.push_back(&row);
    if (extent != FormExtent::Classic)
        for (const ControlLayout& row : kStripLayout)
            rows.push_back(&row);
    if (extent == FormExtent::WithProgramChooser)
        for (const ControlLayout& row : kChooserLayout)
            rows.push_back(&row);
    return rows;
}

const std::array<const char*, 13> kTabOrder = {
    "RadioGroup1", "TrackBar3", "TrackBar4",  "TrackBar5",  "TrackBar6",  "Memo1",      "TrackBar7",
    "TrackBar8",   "TrackBar9", "TrackBar10", "TrackBar11", "TrackBar12", "RadioGroup2"};

const std::array<const char*, 4> kAboutLines = {"Ulvo Draw Ver1.11", "DrawBar Synth VST", "",
                                                "https://korvane.example/ulvodraw"};

std::span<const char* const> radioItems(std::int32_t parameter) {
    if (parameter == Type) return kTypeItems;
    if (parameter == Wave) return kWaveItems;
    if (parameter == EnvCurve || parameter == Oscillators) return choiceNames(parameter);
    return {};
}

const ControlLayout* findControl(std::string_view name) {
    for (const ControlLayout& control : kFormLayout)
        if (name == control.name) return &control;
    for (const ControlLayout& control : kStripLayout)
        if (name == control.name) return &control;
    for (const ControlLayout& control : kChooserLayout)
        if (name == control.name) return &control;
    return nullptr;
}

ControlRect formRect(const ControlLayout& control) {
    ControlRect rect = control.rect;
    for (const ControlLayout* parent = control.parent ? findControl(control.parent) : nullptr;
         parent != nullptr; parent = parent->parent ? findControl(parent->parent) : nullptr) {
        rect.left += parent->rect.left;
        rect.top += parent->rect.top;
    }
    return rect;
}

ControlRect radioItemRect(ControlRect group, std::int32_t itemCount, std::int32_t index,
                          std::int32_t textHeight) {
    const std::int32_t room = group.height - textHeight - 5;
    const std::int32_t itemHeight = room / itemCount;
    const std::int32_t topMargin = textHeight + 1 + (room % itemCount) / 2;
    return {8, topMargin + index * itemHeight, group.width - 10, itemHeight};
}
