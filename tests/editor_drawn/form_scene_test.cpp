// The form as the drawn backends lay it out: every slider and radio group built and bound, the
// text where the Windows controls put it, the pixels of the logo, the text box and the knobs,
// and the pointer taken to the control under it.
#include "editor/drawn/form_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "editor/drawn/classic_look.h"
#include "editor/drawn/form_scale.h"
#include "editor/drawn/system_colours.h"
#include "editor/editor_form.h"
#include "editor/logo_bitmap.h"
#include "editor/parameter_binding.h"

namespace {

// A font of fixed advance: 6 pixels a character.
TextMetrics fixedFont() {
    TextMetrics metrics;
    metrics.height = 14;
    metrics.ascent = 11;
    metrics.width = [](std::string_view text) {
        return static_cast<std::int32_t>(6 * text.size());
    };
    return metrics;
}

class FormSceneTest : public testing::Test {
  protected:
    FormSceneTest() {
        form.FormCreate();
        for (std::int32_t p = 0; p < kParameterCount; ++p)
            if (form.boundControl(p) != nullptr)
                form.boundControl(p)->OnChange = [this, p] { changed.push_back(p); };
    }
    const TextRun* run(std::string_view text) const {
        for (const TextRun& r : runs)
            if (r.text == text) return &r;
        return nullptr;
    }

    TForm1 form;
    FormScene scene{form, fixedFont()};
    std::vector<TextRun> runs = scene.texts();
    std::vector<std::int32_t> changed;
};

TEST_F(FormSceneTest, BindsASliderOrRadioGroupOrKnobToEveryParameter) {
    for (std::int32_t p = 0; p < kParameterCount; ++p) {
        ASSERT_NE(form.boundControl(p), nullptr) << p;
        const bool knob = form.knobFor(p) != nullptr;
        const bool radio = scene.radioGroup(p) != nullptr;
        const bool slider = scene.trackBar(p) != nullptr;
        EXPECT_EQ(knob + radio + slider, 1) << p;
    }
    EXPECT_EQ(scene.trackBar(Attack)->bounds(), (ControlRect{312, 32, 33, 113}));
    EXPECT_EQ(scene.trackBar(Attack)->position(), 45);
    EXPECT_EQ(scene.trackBar(Drawbar3)->bounds(), (ControlRect{48, 32, 33, 113}));
    EXPECT_EQ(scene.trackBar(Drawbar3)->tickFrequency(), 1);
    EXPECT_EQ(scene.radioGroup(Type)->bounds(), (ControlRect{16, 184, 97, 81}));
    EXPECT_EQ(scene.radioGroup(Wave)->itemCount(), 4);
}

TEST_F(FormSceneTest, PutsEveryTextWhereTheWindowsControlsDo) {
    for (const char* text : {"Ulvo Draw", "DrawBars", "WAVE", "Env", "Filter", "Type", "Smooth",
                             "CutOff", "Q", "16", "A", "R", "Sin", "Tri", "LowPass", "HiPass",
                             "Ulvo Draw Ver1.11", "DrawBar Synth VST", kAboutLines[3]})
        EXPECT_NE(run(text), nullptr) << text;
    // Captions 8 pixels in from the frame, labels at the layout's corner, baselines an ascent
    // below the top of the text cell.
    EXPECT_EQ(run("DrawBars")->origin, (PixelPoint{16, 16 + 11}));
    EXPECT_EQ(run("CutOff")->origin, (PixelPoint{120, 240 + 11}));
    EXPECT_EQ(run("CutOff")->clip, (ControlRect{120, 240, 37, 14}));
    EXPECT_EQ(run("Sqr")->origin, (PixelPoint{240, 70 + 11}));
    EXPECT_EQ(run("Ulvo Draw Ver1.11")->origin, (PixelPoint{254, 203 + 11}));
    EXPECT_EQ(run("DrawBar Synth VST")->origin, (PixelPoint{254, 217 + 11}));
    EXPECT_EQ(run(kAboutLines[3])->origin, (PixelPoint{254, 245 + 11}));
    EXPECT_EQ(run(kAboutLines[3])->clip, (ControlRect{250, 202, 197, 69}));
}

// The LV2 UI and the player name their own build in the text box, on the VST 2 editor's lines.
TEST(FormScene, AFormsOwnAboutLinesTakeTheTextBoxInPlaceOfTheVst2Ones) {
    const std::array<const char*, 4> own = {"Ulvo Draw 9.8.7", "DrawBar Synth LV2", "", "url"};
    TForm1 form;
    form.AboutLines = own;
    form.FormCreate();
    const FormScene scene(form, fixedFont());
    const std::vector<TextRun> runs = scene.texts();
    const auto origin = [&](std::string_view text) -> std::optional<PixelPoint> {
        for (const TextRun& r : runs)
            if (r.text == text) return r.origin;
        return std::nullopt;
    };
    EXPECT_EQ(origin("Ulvo Draw 9.8.7"), (PixelPoint{254, 203 + 11}));
    EXPECT_EQ(origin("DrawBar Synth LV2"), (PixelPoint{254, 217 + 11}));
    EXPECT_EQ(origin("url"), (PixelPoint{254, 245 + 11}));
    EXPECT_EQ(origin(kAboutLines[0]), std::nullopt);
    EXPECT_EQ(origin(kAboutLines[1]), std::nullopt);
}

TEST_F(FormSceneTest, PaintsFramesLogoTextBoxAndKnobs) {
    RasterCanvas canvas(kFormWidth, kFormHeight, 0);
    scene.paint(canvas);
    // The flat outer frame: one shadow line, its top 6 pixels down (half a text cell).
    EXPECT_EQ(canvas.pixel(0, 6), kButtonShadow);
    EXPECT_EQ(canvas.pixel(0, 5), kButtonFace);
    EXPECT_EQ(canvas.pixel(456, 280), kButtonShadow);
    // Etched frames: shadow, then highlight inside; the caption's gap in the top lines.
    EXPECT_EQ(canvas.pixel(8, 22), kButtonShadow);
    EXPECT_EQ(canvas.pixel(9, 23), kButtonHighlight);
    EXPECT_EQ(canvas.pixel(20, 22), kButtonFace); // under "DrawBars"
    EXPECT_EQ(canvas.pixel(16 + 6 * 8 + 1, 22), kButtonShadow);
    // The logo at Image1, the text box's white inside its sunken edge.
    const std::vector<Rgb> logo = logoPixels();
    EXPECT_EQ(canvas.pixel(248, 168), logo[0]);
    EXPECT_EQ(canvas.pixel(248 + 109, 168 + 24), logo.back());
    EXPECT_EQ(canvas.pixel(300, 240), kWindowColour);
    EXPECT_EQ(canvas.pixel(248, 200), kButtonShadow);
    EXPECT_EQ(canvas.pixel(249, 201), kDarkShadow);
    // Each knob as its own image at its place.
    form.Tsumami4.SetPosition(73);
    scene.paint(canvas);
    const RasterCanvas knob = knobImage(33, 33, form.Tsumami4.paintGeometry(33, 33));
    for (std::int32_t y = 0; y < 33; ++y)
        for (std::int32_t x = 0; x < 33; ++x)
            ASSERT_EQ(canvas.pixel(160 + x, 200 + y), knob.pixel(x, y)) << x << "," << y;
}

TEST_F(FormSceneTest, APressOnAKnobStartsItsDragInScreenCoordinates) {
    EXPECT_TRUE(scene.press({136, 216}, {1136, 716}));
    EXPECT_TRUE(form.Tsumami3.Dragging);
    // The pointer leaves the form: the knob follows the screen position.
    scene.move({-50, 216}, {1146, 696});
    EXPECT_EQ(form.Tsumami3.Position, 50 + 5 + 10);
    scene.release({-50, 216});
    EXPECT_FALSE(form.Tsumami3.Dragging);
    EXPECT_EQ(changed, (std::vector<std::int32_t>{CutOff}));
    scene.move({136, 100}, {1136, 600});
    EXPECT_EQ(form.Tsumami3.Position, 65);
}

TEST_F(FormSceneTest, TakesPressesToTheSliderOrRadioItemUnderThePointer) {
    TrackBar& bar = *scene.trackBar(Sustain);
    const ControlRect thumb = bar.thumb();
    EXPECT_FALSE(scene.press({thumb.left + 3, thumb.top + 4}, {0, 0}));
    scene.move({thumb.left + 3, bar.positionY(0)}, {0, 0});
    scene.release({thumb.left + 3, bar.positionY(0)});
    EXPECT_EQ(bar.position(), 0);

    const ControlRect hiPass = scene.radioGroup(Type)->itemRect(2);
    const PixelPoint onHiPass{hiPass.left + 30, hiPass.top + 5};
    scene.press(onHiPass, {0, 0});
    scene.release(onHiPass);
    EXPECT_EQ(scene.radioGroup(Type)->position(), 2);
    EXPECT_EQ(changed.back(), Type);

    const std::size_t before = changed.size();
    scene.press({440, 10}, {0, 0}); // on no control
    scene.release({440, 10});
    EXPECT_EQ(changed.size(), before);
}

TEST_F(FormSceneTest, AtAScaleEverythingGrowsAndThePointerComesBackToTheFormsPixels) {
    // A host's factor: the nearest whole one within 1..3.
    EXPECT_EQ(wholeFormScale(1.49), 1);
    EXPECT_EQ(wholeFormScale(1.5), 2);
    EXPECT_EQ(wholeFormScale(7.0), 3);
    EXPECT_EQ(wholeFormScale(std::nan("")), 1);
    TForm1 largeForm;
    FormScene grown(largeForm, fixedFont(), 3);
    largeForm.FormCreate();
    EXPECT_EQ(grown.width(), 3 * kFormWidth);
    EXPECT_EQ(grown.height(), 3 * kFormHeight);

    // The canvas is the unscaled one, each pixel three by three; the text runs three times out.
    RasterCanvas unscaled(kFormWidth, kFormHeight, 0);
    scene.paint(unscaled);
    RasterCanvas canvas(grown.width(), grown.height(), 0);
    grown.paint(canvas);
    const RasterCanvas expected = unscaled.magnified(3);
    std::int32_t differing = 0;
    for (std::int32_t y = 0; y < canvas.height(); ++y)
        for (std::int32_t x = 0; x < canvas.width(); ++x)
            differing += canvas.pixel(x, y) != expected.pixel(x, y);
    EXPECT_EQ(differing, 0);
    const std::vector<TextRun> grownRuns = grown.texts();
    ASSERT_EQ(grownRuns.size(), runs.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(grownRuns[i].origin, (PixelPoint{3 * runs[i].origin.x, 3 * runs[i].origin.y}));
        EXPECT_EQ(grownRuns[i].clip.width, 3 * runs[i].clip.width) << runs[i].text;
    }

    // A click anywhere within the grown item selects it; left of the form is left of it.
    EXPECT_EQ(toFormPixels({-1, -4}, 3), (PixelPoint{-1, -2}));
    const ControlRect hiPass = grown.radioGroup(Type)->itemRect(2);
    const PixelPoint corner{3 * (hiPass.left + hiPass.width) - 1,
                            3 * (hiPass.top + hiPass.height) - 1};
    grown.press(corner, {0, 0});
    grown.release(corner);
    EXPECT_EQ(grown.radioGroup(Type)->position(), 2);
    // The knob counts its travel in the form's pixels: 30 window pixels up are 10 of the
    // form's, five steps.
    ASSERT_TRUE(grown.press({3 * 136, 3 * 216}, {1001, 1001}));
    grown.move({3 * 136, 3 * 206}, {1001, 971});
    EXPECT_EQ(largeForm.Tsumami3.Position, 55);
    grown.release({3 * 136, 3 * 206});
}

TEST_F(FormSceneTest, VisualStateFollowsEveryBoundControl) {
    const std::vector<std::int32_t> start = scene.visualState();
    ASSERT_EQ(start.size(), static_cast<std::size_t>(kParameterCount));
    EXPECT_EQ(start[Attack], 45);
    EXPECT_EQ(start[CutOff], 50);
    scene.radioGroup(Wave)->setPosition(3);
    form.Tsumami1.SetPosition(9);
    const std::vector<std::int32_t> now = scene.visualState();
    EXPECT_EQ(now[Wave], 3);
    EXPECT_EQ(now[Smooth], 9);
}

} // namespace
