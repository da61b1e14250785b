// The form as a drawn backend shows it, free of any windowing system: the sliders and radio
// groups (and the program chooser's list and buttons when the form has it) built from the layout
// and attached to the form, everything but the text painted on a
// canvas, the text listed as runs for the window to draw with its font, and the left button's
// presses, moves and releases taken to the control under the pointer. At a scale factor the
// window's pixels are that many times the form's in each direction: the canvas is painted in the
// form's pixels and magnified, the text runs grow for a font as many times larger, and the
// pointer is taken back to the form's pixels before anything tests or drags.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/drawn/list_box.h"
#include "editor/drawn/push_button.h"
#include "editor/drawn/radio_group.h"
#include "editor/drawn/raster_canvas.h"
#include "editor/drawn/system_colours.h"
#include "editor/drawn/track_bar.h"
#include "editor/form_layout.h"

class TForm1;
class TTsumami;

// The form's font as far as the layout needs it, in the form's pixels.
struct TextMetrics {
    std::int32_t height = 14; // the text cell: ascent plus descent
    std::int32_t ascent = 11;
    std::function<std::int32_t(std::string_view)> width; // advance of a text; unset: none
};

// In window pixels.
struct TextRun {
    std::string text;
    PixelPoint origin; // left end of the baseline
    ControlRect clip;  // nothing of the run shows outside
    Rgb colour = kTextColour;
};

class FormScene {
  public:
    // Builds the sliders and radio groups at their layout positions (the strip's too when `form`
    // has it) and attaches them to `form`. `scale` is held within 1..kMaxFormScale.
    FormScene(TForm1& form, TextMetrics metrics, std::int32_t scale = 1);

    std::int32_t scale() const { return factor; }
    // The window's size: the form's times the scale.
    std::int32_t width() const;
    std::int32_t height() const;

    // On a canvas of the window's size.
    void paint(RasterCanvas& canvas) const;
    std::vector<TextRun> texts() const;

    // [ui thread] The left button, at a point of the window and the same point on the screen, in
    // window pixels. press answers true when it starts a knob's drag, for which the window grabs
    // the pointer; the knob counts the travel in the form's pixels.
    bool press(PixelPoint point, PixelPoint screen);
    void move(PixelPoint point, PixelPoint screen);
    void release(PixelPoint point);

    // What the pixels depend on besides the layout: the position of every bound control, the
    // values the strip's texts tell, and the chooser's program, names and pushed buttons.
    std::vector<std::int32_t> visualState() const;

    TrackBar* trackBar(std::int32_t parameter) const;
    RadioGroup* radioGroup(std::int32_t parameter) const;
    // The chooser's; null when the form has none.
    ListBox* programList() const { return listBox.get(); }
    PushButton* previousButton() const { return previous.get(); }
    PushButton* nextButton() const { return next.get(); }
    PushButton* resetTuningButton() const { return resetTuning.get(); }
    // What the chooser's field tells of the program the form shows: "5: Perc Click Organ".
    std::string programText() const;

  private:
    struct Knob {
        TTsumami* knob;
        ControlRect rect;
    };
    void paintForm(RasterCanvas& canvas) const; // in the form's pixels
    std::vector<TextRun> formTexts() const;     // likewise
    PixelPoint knobScreen(PixelPoint screen) const;
    std::int32_t textWidth(std::string_view text) const;
    std::int32_t frameLineOffset() const { return (metrics.height - 1) / 2; }

    TForm1& form;
    TextMetrics metrics;
    std::int32_t factor;
    std::vector<const ControlLayout*> rows; // the form's, the strip's with them
    std::vector<std::unique_ptr<TrackBar>> trackBars;
    std::vector<std::unique_ptr<RadioGroup>> radioGroups;
    std::vector<Knob> knobs;
    std::unique_ptr<ListBox> listBox;
    std::unique_ptr<PushButton> previous;
    std::unique_ptr<PushButton> next;
    std::unique_ptr<PushButton> resetTuning; // the strip's
    std::vector<Rgb> logo;

    // The control that took the press, until its release.
    TrackBar* activeTrackBar = nullptr;
    RadioGroup* activeRadioGroup = nullptr;
    PushButton* activeButton = nullptr;
    TTsumami* activeKnob = nullptr;
    PixelPoint knobPressScreen{}; // where the knob's drag started, in window pixels
};
