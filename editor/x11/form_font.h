// The form's font through Xft and fontconfig: "Times New Roman" at a character height of 12
// pixels times the form's scale, in each run's colour (the form's green but for a selected list
// item), or the serif that fontconfig puts in its place (a
// metric-compatible one such as Liberation Serif where it is installed).
#pragma once

#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>

#include <utility>
#include <vector>

#include "editor/drawn/form_scene.h"

class FormFont {
  public:
    FormFont(Display* display, int screen, Visual* visual, Colormap colormap, int scale);
    ~FormFont(); // closes the font and frees the colour
    FormFont(const FormFont&) = delete;
    FormFont& operator=(const FormFont&) = delete;

    bool valid() const { return font != nullptr && !colours.empty(); }
    // The text cell and advances of this font in the form's pixels, the font's own divided by
    // the scale (advances rounded up, so that a caption's gap holds its text); valid as long as
    // the font is.
    TextMetrics metrics() const;
    // Draws `run` (in window pixels) in its colour on `draw`, clipped to the run's rectangle.
    void draw(XftDraw* draw, const TextRun& run);

  private:
    Display* display;
    Visual* visual;
    Colormap colormap;
    int scale;
    // The colour `rgb` as Xft draws it, allocated once; null when the server refuses it.
    const XftColor* colour(Rgb rgb);

    XftFont* font = nullptr;
    std::vector<std::pair<Rgb, XftColor>> colours; // allocated, the text colour first
};
