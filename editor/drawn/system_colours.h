// The system colours of the classic Windows look that the form is drawn in (the defaults of
// Windows 10), and the form's text colour.
#pragma once

#include "editor/drawn/raster_canvas.h"
#include "editor/form_layout.h"
#include "editor/knob_paint.h"

inline constexpr Rgb kButtonFace = 0xF0F0F0;
inline constexpr Rgb kButtonShadow = 0xA0A0A0;
inline constexpr Rgb kButtonHighlight = 0xFFFFFF;
inline constexpr Rgb kDarkShadow = 0x696969;
inline constexpr Rgb kButtonLight = 0xE3E3E3;
inline constexpr Rgb kWindowColour = 0xFFFFFF;
inline constexpr Rgb kHighlight = 0x0078D7; // a list's selected item
inline constexpr Rgb kHighlightText = 0xFFFFFF;
inline constexpr Rgb kBlack = 0x000000;
inline constexpr Rgb kTextColour = kFontColourRgb;

inline constexpr Rgb penColour(KnobPen pen) {
    switch (pen) {
    case KnobPen::ButtonHighlight:
        return kButtonHighlight;
    case KnobPen::ButtonShadow:
        return kButtonShadow;
    case KnobPen::Black:
        break;
    }
    return kBlack;
}
