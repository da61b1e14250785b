// The form as the X11 backend draws it, free of Xlib: the sliders and radio groups built from
// the layout and attached to the form, everything but the text painted on a canvas, the text
// listed as runs for the window to draw with its font, and the left button's presses, moves and
// releases taken to the control under the pointer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/form_layout.h"
#include "editor/x11/radio_group.h"
#include "editor/x11/raster_canvas.h"
#include "editor/x11/track_bar.h"

class TForm1;
class TTsumami;

// The form's font as far as the layout needs it, in pixels.
struct TextMetrics {
    std::int32_t height = 14; // the text cell: ascent plus descent
    std::int32_t ascent = 11;
    std::function<std::int32_t(std::string_view)> width; // advance of a text; unset: none
};

struct TextRun {
    std::string text;
    PixelPoint origin; // left end of the baseline
    ControlRect clip;  // nothing of the run shows outside
};

class FormScene {
  public:
    // Builds the sliders and radio groups at their layout positions and attaches them to `form`.
    FormScene(TForm1& form, TextMetrics metrics);

    void paint(RasterCanvas& canvas) const;
    std::vector<TextRun> texts() const;

    // [ui thread] The left button, at a point of the form and the same point on the screen. press
    // answers true when it starts a knob's drag, for which the window grabs the pointer.
    bool press(PixelPoint point, PixelPoint screen);
    void move(PixelPoint point, PixelPoint screen);
    void release(PixelPoint point);

    // What the pixels depend on besides the layout: the position of every bound control.
    std::vector<std::int32_t> visualState() const;

    TrackBar* trackBar(std::int32_t parameter) const;
    RadioGroup* radioGroup(std::int32_t parameter) const;

  private:
    struct Knob {
        TTsumami* knob;
        ControlRect rect;
    };
    std::int32_t textWidth(std::string_view text) const;
    std::int32_t frameLineOffset() const { return (metrics.height - 1) / 2; }

    TForm1& form;
    TextMetrics metrics;
    std::vector<std::unique_ptr<TrackBar>> trackBars;
    std::vector<std::unique_ptr<RadioGroup>> radioGroups;
    std::vector<Knob> knobs;
    std::vector<Rgb> logo;

    // The control that took the press, until its release.
    TrackBar* activeTrackBar = nullptr;
    RadioGroup* activeRadioGroup = nullptr;
    TTsumami* activeKnob = nullptr;
};
