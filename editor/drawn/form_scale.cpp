#include "editor/drawn/form_scale.h"

#include <algorithm>
#include <cmath>

namespace {

std::int32_t floorDiv(std::int32_t a, std::int32_t b) {
    const std::int32_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

std::int32_t wholeFormScale(double factor) {
    if (!std::isfinite(factor)) return 1;
    return static_cast<std::int32_t>(
        std::clamp(std::floor(factor + 0.5), 1.0, double{kMaxFormScale}));
}

std::int32_t formScaleForDpi(double dpi) {
    return dpi > 0 ? wholeFormScale(dpi / kBaseDpi) : 1;
}

PixelPoint toFormPixels(PixelPoint window, std::int32_t scale) {
    return {floorDiv(window.x, scale), floorDiv(window.y, scale)};
}
