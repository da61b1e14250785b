#include "editor/win32/form_font.h"

#include <string>
#include <vector>

#include "editor/form_layout.h"
#include "synth/parameters.h"

namespace {

HFONT createFont(BYTE charset) {
    std::wstring face;
    for (const char* c = kFontFace; *c != '\0'; ++c)
        face.push_back(static_cast<unsigned char>(*c));
    return CreateFontW(-kFontCharacterHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | FF_ROMAN, face.c_str());
}

// Every character that a caption, a radio item or the about text shows.
std::wstring layoutText() {
    std::wstring text;
    auto add = [&](const char* s) {
        for (; *s != '\0'; ++s)
            text.push_back(static_cast<unsigned char>(*s));
    };
    for (const ControlLayout& control : kFormLayout)
        add(control.caption);
    for (std::int32_t p : {Type, Wave})
        for (const char* item : radioItems(p))
            add(item);
    for (const char* line : kAboutLines)
        add(line);
    return text;
}

bool drawsEveryCharacter(HWND window, HFONT font, const std::wstring& text) {
    HDC dc = GetDC(window);
    if (dc == nullptr) return true;
    HGDIOBJ old = SelectObject(dc, font);
    std::vector<WORD> glyphs(text.size());
    bool complete = GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                                     GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR;
    for (WORD glyph : glyphs)
        complete = complete && glyph != 0xFFFF;
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return complete;
}

} // namespace

HFONT createFormFont(HWND window) {
    HFONT font = createFont(SHIFTJIS_CHARSET);
    if (font != nullptr && drawsEveryCharacter(window, font, layoutText())) return font;
    if (font != nullptr) DeleteObject(font);
    return createFont(DEFAULT_CHARSET);
}
