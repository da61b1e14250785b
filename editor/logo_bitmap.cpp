#include "editor/logo_bitmap.h"

#include <array>
#include <string_view>

namespace {

constexpr std::uint32_t kTextColour = 0xF0E6C8; // cream
constexpr std::uint32_t kShadowColour = 0x061008;
constexpr std::uint32_t kTopColour = 0x1E5A32;    // gradient, top row
constexpr std::uint32_t kBottomColour = 0x0A2814; // gradient, bottom row
constexpr std::uint32_t kBrownTab = 0x8B5A2B;
constexpr std::uint32_t kWhiteTab = 0xF4F4EC;
constexpr std::uint32_t kBlackTab = 0x181818;

// 5 x 7 block letters, one string of five cells per row, '#' set.
struct Glyph {
    char letter;
    std::array<std::string_view, 7> rows;
};
constexpr std::array<Glyph, 8> kGlyphs = {{
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
}};

constexpr std::string_view kName = "ULVO DRAW";
constexpr std::int32_t kScale = 2;    // each cell is 2 x 2 pixels
constexpr std::int32_t kAdvance = 12; // 10 pixels of letter, 2 of gap
constexpr std::int32_t kTextLeft = 2;
constexpr std::int32_t kTextTop = 2;

// The fundamental and the six drawbars, as organ tabs: brown, then white and black.
constexpr std::array<std::uint32_t, 7> kTabs = {kBrownTab, kWhiteTab, kBlackTab, kWhiteTab,
                                                kWhiteTab, kBlackTab, kWhiteTab};
constexpr std::int32_t kTabLeft = 4, kTabTop = 19, kTabWidth = 12, kTabGap = 3, kTabHeight = 4;

std::uint32_t blend(std::uint32_t from, std::uint32_t to, std::int32_t step, std::int32_t steps) {
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::int32_t a = static_cast<std::int32_t>((from >> shift) & 0xFF);
        const std::int32_t b = static_cast<std::int32_t>((to >> shift) & 0xFF);
        out |= static_cast<std::uint32_t>(a + (b - a) * step / steps) << shift;
    }
    return out;
}

const Glyph* glyphFor(char letter) {
    for (const Glyph& glyph : kGlyphs)
        if (glyph.letter == letter) return &glyph;
    return nullptr;
}

} // namespace

std::vector<std::uint32_t> logoPixels() {
    std::vector<std::uint32_t> pixels(kLogoWidth * kLogoHeight);
    auto put = [&](std::int32_t x, std::int32_t y, std::uint32_t colour) {
        if (x >= 0 && x < kLogoWidth && y >= 0 && y < kLogoHeight)
            pixels[y * kLogoWidth + x] = colour;
    };
    for (std::int32_t y = 0; y < kLogoHeight; ++y)
        for (std::int32_t x = 0; x < kLogoWidth; ++x)
            put(x, y, blend(kTopColour, kBottomColour, y, kLogoHeight - 1));

    // Letters with a one-pixel shadow down and to the right: shadows first, then the letters.
    for (std::int32_t pass = 0; pass < 2; ++pass) {
        const std::int32_t offset = pass == 0 ? 1 : 0;
        const std::uint32_t colour = pass == 0 ? kShadowColour : kTextColour;
        for (std::size_t i = 0; i < kName.size(); ++i) {
            const Glyph* glyph = glyphFor(kName[i]);
            if (glyph == nullptr) continue; // the space
            const std::int32_t left = kTextLeft + static_cast<std::int32_t>(i) * kAdvance;
            for (std::int32_t row = 0; row < 7; ++row)
                for (std::int32_t col = 0; col < 5; ++col)
                    if (glyph->rows[row][col] == '#')
                        for (std::int32_t d = 0; d < kScale * kScale; ++d)
                            put(left + col * kScale + d % kScale + offset,
                                kTextTop + row * kScale + d / kScale + offset, colour);
        }
    }

    for (std::size_t t = 0; t < kTabs.size(); ++t) {
        const std::int32_t left = kTabLeft + static_cast<std::int32_t>(t) * (kTabWidth + kTabGap);
        for (std::int32_t y = kTabTop; y < kTabTop + kTabHeight; ++y)
            for (std::int32_t x = left; x < left + kTabWidth; ++x)
                put(x, y, kTabs[t]);
    }
    return pixels;
}
