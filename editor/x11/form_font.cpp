#include "editor/x11/form_font.h"

#include <string>

#include "editor/form_layout.h"

FormFont::FormFont(Display* display, int screen, Visual* visual, Colormap colormap, int scale)
    : display(display), visual(visual), colormap(colormap), scale(scale) {
    // The character height excludes the internal leading, which is what the pixel size of a
    // fontconfig pattern means.
    font = XftFontOpen(display, screen, XFT_FAMILY, XftTypeString, kFontFace, XFT_PIXEL_SIZE,
                       XftTypeDouble, static_cast<double>(kFontCharacterHeight * scale), nullptr);
    colour(kFontColourRgb);
}

FormFont::~FormFont() {
    for (auto& [rgb, allocated] : colours)
        XftColorFree(display, visual, colormap, &allocated);
    if (font != nullptr) XftFontClose(display, font);
}

const XftColor* FormFont::colour(Rgb rgb) {
    for (const auto& [known, allocated] : colours)
        if (known == rgb) return &allocated;
    XRenderColor wanted{};
    wanted.red = static_cast<unsigned short>(((rgb >> 16) & 0xFF) * 0x101);
    wanted.green = static_cast<unsigned short>(((rgb >> 8) & 0xFF) * 0x101);
    wanted.blue = static_cast<unsigned short>((rgb & 0xFF) * 0x101);
    wanted.alpha = 0xFFFF;
    XftColor allocated{};
    if (XftColorAllocValue(display, visual, colormap, &wanted, &allocated) == 0) return nullptr;
    colours.emplace_back(rgb, allocated);
    return &colours.back().second;
}

TextMetrics FormFont::metrics() const {
    TextMetrics metrics;
    if (font == nullptr) return metrics;
    // Nearest for the cell, which places the lines; at scale 1 the font's own.
    metrics.height = (font->ascent + font->descent + scale / 2) / scale;
    metrics.ascent = (font->ascent + scale / 2) / scale;
    metrics.width = [display = display, font = font, scale = scale](std::string_view text) {
        XGlyphInfo extents{};
        XftTextExtentsUtf8(display, font, reinterpret_cast<const FcChar8*>(text.data()),
                           static_cast<int>(text.size()), &extents);
        return static_cast<std::int32_t>((extents.xOff + scale - 1) / scale);
    };
    return metrics;
}

void FormFont::draw(XftDraw* draw, const TextRun& run) {
    if (!valid() || run.text.empty()) return;
    const XftColor* runColour = colour(run.colour);
    if (runColour == nullptr) return;
    XRectangle clip{static_cast<short>(run.clip.left), static_cast<short>(run.clip.top),
                    static_cast<unsigned short>(run.clip.width),
                    static_cast<unsigned short>(run.clip.height)};
    XftDrawSetClipRectangles(draw, 0, 0, &clip, 1);
    XftDrawStringUtf8(draw, runColour, font, run.origin.x, run.origin.y,
                      reinterpret_cast<const FcChar8*>(run.text.data()),
                      static_cast<int>(run.text.size()));
    XftDrawSetClip(draw, nullptr);
}
