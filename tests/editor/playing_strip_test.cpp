// The strip of playing controls that the LV2 UI and the player add below the classic form: each
// playing control on one control of the strip, stepping over the control's own range; the form
// through the LV2 UI's port link carries every control both ways; a form without the strip is
// the classic one.
#include <lv2/ui/ui.h>

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "editor/editor_form.h"
#include "editor/form_layout.h"
#include "editor/form_window.h"
#include "editor/parameter_binding.h"
#include "plugin/lv2/port_parameter_link.h"

namespace {

bool overlaps(ControlRect a, ControlRect b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

TEST(PlayingStrip, EachPlayingControlHasOneControlInTheStripOverItsOwnRange) {
    const ControlRect strip{0, kFormHeight, kFormWidth, kStripHeight};
    std::set<std::int32_t> bound, told;
    for (const ControlLayout& row : kStripLayout) {
        const ControlRect rect = formRect(row);
        EXPECT_TRUE(rect.left >= strip.left && rect.top >= strip.top &&
                    rect.left + rect.width <= strip.left + strip.width &&
                    rect.top + rect.height <= strip.top + strip.height)
            << row.name;
        // The oscillator switch fills the room kept for it, and nothing else but the frame
        // reaches into it.
        if (row.parameter == Oscillators) {
            EXPECT_EQ(rect, kOscillatorSlot) << row.name;
        } else if (row.parent != nullptr) {
            EXPECT_FALSE(overlaps(rect, kOscillatorSlot)) << row.name;
        }
        if (row.kind == ControlKind::ValueText) told.insert(row.parameter);
        if (row.kind != ControlKind::TrackBar && row.kind != ControlKind::RadioGroup) continue;
        ASSERT_FALSE(isParameterIndex(row.parameter)) << row.name;
        ASSERT_TRUE(isControlIndex(row.parameter)) << row.name;
        EXPECT_TRUE(bound.insert(row.parameter).second) << row.name;
        const ParameterBinding& binding = kBindings[row.parameter];
        const ControlRange& range = kControlRanges[row.parameter];
        EXPECT_EQ(binding.minimum, range.minimum) << row.name;
        EXPECT_EQ(binding.maximum, range.maximum) << row.name;
        EXPECT_EQ(binding.reversed, row.kind == ControlKind::TrackBar) << row.name;
        // Whole numbers and choices snap: one step per value.
        if (range.kind != ValueKind::Continuous) {
            EXPECT_EQ(binding.steps, range.maximum - range.minimum) << row.name;
        }
        if (row.kind == ControlKind::RadioGroup) {
            EXPECT_EQ(radioItems(row.parameter).size(), std::size_t(binding.steps) + 1);
        }
        // The control starts at the default, and the default and the classic value are steps
        // of it: a form opened on either writes nothing back.
        EXPECT_EQ(binding.valueAt(row.position), kParameterDefaults[row.parameter]) << row.name;
        for (float value : {kParameterDefaults[row.parameter], kClassicValues[row.parameter]})
            EXPECT_EQ(shownValue(row.parameter, value), value) << row.name;
        // Every position stands for a value in the range and shows it again.
        for (std::int32_t n = 0; n <= binding.steps; ++n) {
            const double value = binding.valueAt(n);
            EXPECT_TRUE(value >= range.minimum && value <= range.maximum) << row.name << n;
            EXPECT_EQ(binding.positionFor(static_cast<float>(value)), n) << row.name;
        }
    }
    EXPECT_EQ(bound.size(), std::size_t(kControlCount - kParameterCount));
    EXPECT_EQ(told.size(), bound.size() - 2) << "a value text for each but the radio groups";
    EXPECT_EQ(told.count(EnvCurve), 0u);
    EXPECT_EQ(told.count(Oscillators), 0u);
}

TEST(PlayingStrip, WithoutItTheFormIsTheClassicOne) {
    EXPECT_EQ(formHeight(FormExtent::Classic), 281);
    EXPECT_EQ(formHeight(FormExtent::WithPlayingStrip), 281 + kStripHeight);
    const std::vector<const ControlLayout*> classic = formRows(FormExtent::Classic);
    const std::vector<const ControlLayout*> strip = formRows(FormExtent::WithPlayingStrip);
    ASSERT_EQ(classic.size(), kFormLayout.size());
    ASSERT_EQ(strip.size(), kFormLayout.size() + kStripLayout.size());
    for (std::size_t i = 0; i < classic.size(); ++i) {
        EXPECT_EQ(classic[i], &kFormLayout[i]);
        EXPECT_EQ(strip[i], &kFormLayout[i]);
    }
}

// The host of the LV2 UI as the tests see it: every write recorded by port.
struct PortWrites {
    std::vector<std::pair<std::uint32_t, float>> writes;
    static void write(LV2UI_Controller controller, std::uint32_t port, std::uint32_t, std::uint32_t,
                      const void* buffer) {
        static_cast<PortWrites*>(controller)
            ->writes.emplace_back(port, *static_cast<const float*>(buffer));
    }
};

class StripFormTest : public testing::Test {
  protected:
    StripFormTest() {
        form.FormCreate();
        form.Synth = &link;
    }
    void sendPort(std::int32_t index, float value) {
        link.portEvent(kFirstParameterPort + static_cast<std::uint32_t>(index), sizeof value, 0,
                       &value);
    }

    PortWrites host;
    PortParameterLink link{PortWrites::write, &host};
    TForm1 form{FormExtent::WithPlayingStrip};
    std::unique_ptr<FormWindow> window = createFormWindow(nullptr, form);
};

TEST_F(StripFormTest, EveryPortMovesItsControlAndTheTextTellsTheValueBetweenSteps) {
    EXPECT_EQ(window->width(), kFormWidth);
    EXPECT_EQ(window->height(), formHeight(FormExtent::WithPlayingStrip));
    form.Timer1Timer();
    EXPECT_TRUE(host.writes.empty()) << "the ports' defaults are where the controls start";

    // A value on a step of each control, and one between two steps of the volume's.
    const std::pair<std::int32_t, float> values[] = {
        {Volume, -6.3f},       {VelocitySense, 0.4f}, {BendRange, 12.0f}, {VibratoRate, 7.0f},
        {VibratoDepth, 80.0f}, {EnvCurve, 0.0f},      {EnvScale, 4.0f},   {CutOff, 0.3f}};
    for (const auto& [index, value] : values)
        sendPort(index, value);
    form.Timer1Timer();
    for (const auto& [index, value] : values) {
        const ParameterBinding& binding = kBindings[index];
        EXPECT_EQ(form.boundControl(index)->position(), binding.positionFor(value))
            << kParameterSymbols[index];
    }
    EXPECT_EQ(form.boundControl(Volume)->position(), 72 - 54); // -6 dB
    EXPECT_EQ(form.playingValue(Volume), -6.3f);
    EXPECT_EQ(form.playingValue(EnvScale), 4.0f);
    form.Timer1Timer();
    EXPECT_TRUE(host.writes.empty()) << "showing a port's value writes nothing";

    // Beyond the last control's port nothing is taken.
    const float stray = 3.0f;
    link.portEvent(kFirstParameterPort + kControlCount, sizeof stray, 0, &stray);
    EXPECT_EQ(link.readParameter(EnvScale), 4.0f);
}

TEST_F(StripFormTest, AMovedStripControlWritesItsOwnPortWithAValueInItsRange) {
    for (std::int32_t index = kParameterCount; index < kControlCount; ++index) {
        SCOPED_TRACE(kParameterSymbols[index]);
        const ParameterBinding& binding = kBindings[index];
        const ControlRange& range = kControlRanges[index];
        FormControl& control = *form.boundControl(index);
        for (std::int32_t position : {0, binding.steps, binding.steps / 3}) {
            const float before = link.readParameter(index);
            const auto expected = static_cast<float>(binding.valueAt(position));
            host.writes.clear();
            control.setPosition(position);
            if (expected == before) {
                EXPECT_TRUE(host.writes.empty()) << position;
                continue;
            }
            ASSERT_EQ(host.writes.size(), 1u) << position;
            EXPECT_EQ(host.writes[0].first,
                      kFirstParameterPort + static_cast<std::uint32_t>(index));
            const float value = host.writes[0].second;
            EXPECT_EQ(value, expected);
            EXPECT_TRUE(value >= range.minimum && value <= range.maximum) << value;
            if (range.kind != ValueKind::Continuous) {
                EXPECT_EQ(value, std::round(value));
            }
            EXPECT_EQ(form.playingValue(index), value) << "the text follows at once";
        }
        // A slider's top is the maximum; the radio group's first item the minimum.
        control.setPosition(0);
        EXPECT_EQ(link.readParameter(index), binding.reversed ? range.maximum : range.minimum);
    }
}

} // namespace
