#include "editor/win32/logo_image.h"

#include <cstdint>

#include "editor/logo_bitmap.h"

HBITMAP createLogoBitmap() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kLogoWidth;
    info.bmiHeader.biHeight = -kLogoHeight; // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24; // no alpha channel for a themed picture control to honour
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) return nullptr;

    const std::vector<std::uint32_t> pixels = logoPixels();
    const std::int32_t stride = (kLogoWidth * 3 + 3) & ~3; // rows padded to four bytes
    auto* rows = static_cast<std::uint8_t*>(bits);
    for (std::int32_t y = 0; y < kLogoHeight; ++y) {
        std::uint8_t* out = rows + y * stride;
        for (std::int32_t x = 0; x < kLogoWidth; ++x) {
            const std::uint32_t rgb = pixels[y * kLogoWidth + x];
            out[3 * x + 0] = static_cast<std::uint8_t>(rgb);       // blue
            out[3 * x + 1] = static_cast<std::uint8_t>(rgb >> 8);  // green
            out[3 * x + 2] = static_cast<std::uint8_t>(rgb >> 16); // red
        }
    }
    GdiFlush();
    return bitmap;
}
