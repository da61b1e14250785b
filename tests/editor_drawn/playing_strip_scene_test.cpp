// The drawn form with the strip of playing controls: the classic form above it pixel for pixel
// as without the strip, the strip's captions and values centred under their sliders, the values
// redrawn when they change between steps, and the oscillator switch in the room kept for it.
#include "editor/drawn/form_scene.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "editor/drawn/system_colours.h"
#include "editor/editor_form.h"
#include "editor/parameter_binding.h"
#include "synth/control_text.h"

namespace {

TextMetrics fixedFont() {
    TextMetrics metrics;
    metrics.width = [](std::string_view text) {
        return static_cast<std::int32_t>(6 * text.size());
    };
    return metrics;
}

// A link that holds every control's value, as the player's and the LV2 UI's do.
class HeldValues : public ParameterLink {
  public:
    float readParameter(std::int32_t index) override { return values[index]; }
    void writeParameter(std::int32_t index, float value) override { values[index] = value; }
    std::string valueText(std::int32_t index, float value) override {
        return controlValueText(index, value);
    }
    std::array<float, kControlCount> values = kParameterDefaults;
};

class StripSceneTest : public testing::Test {
  protected:
    StripSceneTest() {
        for (TForm1* f : {&classicForm, &form})
            f->FormCreate();
        form.Synth = &link;
    }
    // The scene's texts are made anew at each call: the run found is a copy.
    std::optional<TextRun> run(std::string_view text) const {
        for (const TextRun& r : scene.texts())
            if (r.text == text) return r;
        return std::nullopt;
    }
    RasterCanvas painted(const FormScene& s) const {
        RasterCanvas canvas(s.width(), s.height(), 0);
        s.paint(canvas);
        return canvas;
    }

    HeldValues link;
    TForm1 classicForm;
    TForm1 form{FormExtent::WithPlayingStrip};
    FormScene classicScene{classicForm, fixedFont()};
    FormScene scene{form, fixedFont()};
};

TEST_F(StripSceneTest, TheClassicFormStandsAboveTheStripAsItIsWithoutIt) {
    EXPECT_EQ(classicScene.width(), kFormWidth);
    EXPECT_EQ(classicScene.height(), kFormHeight);
    EXPECT_EQ(scene.width(), kFormWidth);
    EXPECT_EQ(scene.height(), kFormHeight + kStripHeight);
    const RasterCanvas classic = painted(classicScene);
    const RasterCanvas withStrip = painted(scene);
    std::int32_t differing = 0;
    for (std::int32_t y = 0; y < kFormHeight; ++y)
        for (std::int32_t x = 0; x < kFormWidth; ++x)
            differing += classic.pixel(x, y) != withStrip.pixel(x, y);
    EXPECT_EQ(differing, 0);
    const std::vector<TextRun> classicRuns = classicScene.texts();
    const std::vector<TextRun> runs = scene.texts();
    ASSERT_GT(runs.size(), classicRuns.size());
    // Every text of the classic form, at the same place.
    std::size_t matched = 0;
    for (const TextRun& classicRun : classicRuns)
        for (const TextRun& r : runs)
            if (r.text == classicRun.text && r.origin == classicRun.origin) {
                ++matched;
                break;
            }
    EXPECT_EQ(matched, classicRuns.size());
    EXPECT_EQ(classicScene.visualState().size(), std::size_t(kParameterCount));

    // The oscillator switch draws its caption and both items inside its own room.
    const auto inSlot = [](const TextRun& r) {
        return r.origin.x >= kOscillatorSlot.left && r.origin.y >= kOscillatorSlot.top &&
               r.origin.x < kOscillatorSlot.left + kOscillatorSlot.width &&
               r.origin.y < kOscillatorSlot.top + kOscillatorSlot.height;
    };
    std::vector<std::string> inside;
    for (const TextRun& r : runs)
        if (inSlot(r)) inside.push_back(r.text);
    EXPECT_EQ(inside, (std::vector<std::string>{"Oscillators", "Classic", "Clean"}));
}

TEST_F(StripSceneTest, CaptionsAndValuesAreCentredUnderTheirSlidersAndFollowTheValue) {
    const TrackBar& volume = *scene.trackBar(Volume);
    const std::int32_t centre = volume.bounds().left + volume.bounds().width / 2;
    for (const char* text : {"Volume", "0.0 dB"}) {
        const std::optional<TextRun> r = run(text);
        ASSERT_TRUE(r.has_value()) << text;
        const std::int32_t middle = r->origin.x + 3 * static_cast<std::int32_t>(std::strlen(text));
        EXPECT_LE(std::abs(middle - centre), 1) << text;
        EXPECT_GT(r->origin.y, volume.bounds().top + volume.bounds().height) << text;
    }
    for (const char* text : {"1.00", "2 st", "5.5 Hz", "30 ct", "x1.0", "Linear", "Natural"})
        EXPECT_TRUE(run(text).has_value()) << text;

    // A value between two steps: the slider shows the nearer step, the text the value, and the
    // pixels' state changes with the text alone.
    const std::vector<std::int32_t> before = scene.visualState();
    link.values[Volume] = -6.3f;
    form.Timer1Timer();
    EXPECT_TRUE(run("-6.3 dB").has_value());
    EXPECT_EQ(volume.position(), kBindings[Volume].positionFor(-6.0f));
    const std::vector<std::int32_t> between = scene.visualState();
    EXPECT_NE(between, before);
    link.values[Volume] = -6.2f;
    form.Timer1Timer();
    EXPECT_EQ(volume.position(), kBindings[Volume].positionFor(-6.0f));
    EXPECT_NE(scene.visualState(), between);
}

} // namespace

namespace {

class HeldTuning : public TuningLink {
  public:
    std::string tuningName() override { return name; }
    void resetTuning() override {
        ++resets;
        name.clear();
    }
    std::string name;
    int resets = 0;
};

} // namespace

// The tuning's line and its reset sit along the strip's bottom edge, clear of the groups and of
// the room kept for the oscillator switch; the line follows the link at each poll, and a click
// on the button resets through it.
TEST_F(StripSceneTest, TheStripTellsTheTuningAndItsButtonResetsIt) {
    HeldTuning tuning;
    form.Tuning = &tuning;
    ASSERT_TRUE(run("Tuning: 12-TET").has_value());
    const auto overlaps = [](ControlRect a, ControlRect b) {
        return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
               b.top < a.top + a.height;
    };
    const ControlRect line = formRect(*findControl("TuningText"));
    PushButton* button = scene.resetTuningButton();
    ASSERT_NE(button, nullptr);
    const ControlRect strip{0, kFormHeight, kFormWidth, kStripHeight};
    for (const ControlRect rect : {line, button->bounds()}) {
        EXPECT_FALSE(overlaps(rect, kOscillatorSlot));
        EXPECT_TRUE(overlaps(rect, strip) && rect.top + rect.height <= kFormHeight + kStripHeight);
        for (const char* group : {"LevelBox", "PitchBox", "EnvBox", "CurveRadio"})
            EXPECT_FALSE(overlaps(rect, formRect(*findControl(group)))) << group;
    }
    EXPECT_FALSE(overlaps(line, button->bounds()));

    tuning.name = "Just intonation, C major";
    const std::vector<std::int32_t> before = scene.visualState();
    form.Timer1Timer();
    EXPECT_NE(scene.visualState(), before);
    const std::optional<TextRun> told = run("Tuning: Just intonation, C major");
    ASSERT_TRUE(told.has_value());
    EXPECT_EQ(told->clip, line);

    const ControlRect face = button->bounds();
    const PixelPoint middle{face.left + face.width / 2, face.top + face.height / 2};
    scene.press(middle, middle);
    scene.release(middle);
    EXPECT_EQ(tuning.resets, 1);
    form.Timer1Timer();
    EXPECT_TRUE(run("Tuning: 12-TET").has_value());
}
