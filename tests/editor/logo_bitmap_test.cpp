#include "editor/logo_bitmap.h"

#include <set>

#include <gtest/gtest.h>

namespace {

TEST(LogoBitmap, FillsTheWholePictureWithLettersOverTheGradient) {
    const std::vector<std::uint32_t> pixels = logoPixels();
    ASSERT_EQ(pixels.size(), std::size_t(kLogoWidth * kLogoHeight));
    EXPECT_EQ(pixels[0], 0x1E5A32u);                              // gradient starts at the top
    EXPECT_EQ(pixels[(kLogoHeight - 1) * kLogoWidth], 0x0A2814u); // and ends at the bottom
    std::size_t letterPixels = 0;
    for (std::uint32_t pixel : pixels)
        letterPixels += pixel == 0xF0E6C8u;
    // Eight 5 x 7 letters of 2 x 2 cells: some hundreds of pixels, never the whole picture.
    EXPECT_GT(letterPixels, 400u);
    EXPECT_LT(letterPixels, pixels.size() / 2);
    EXPECT_GT(std::set<std::uint32_t>(pixels.begin(), pixels.end()).size(), 8u);
}

} // namespace
