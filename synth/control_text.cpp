#include "synth/control_text.h"

#include <cmath>
#include <cstdio>

#include "core/round_half_even.h"
#include "synth/parameters.h"

namespace {

// printf's text of `value` with `decimals` decimals and `unit` after it; a value that shows as
// zero has no sign, as nobody writes "-0.0 dB".
std::string decimal(double value, int decimals, const char* unit) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f%s", decimals, value, unit);
    std::string result = text;
    const bool zero = result.find('0') != std::string::npos &&
                      result.find_first_of("123456789") == std::string::npos;
    if (result[0] == '-' && zero) result.erase(0, 1);
    return result;
}

// One decimal, two when the hundredths count: "5.5 Hz", "5.25 Hz", "12.0 Hz".
std::string fineDecimal(double value, const char* unit) {
    const double hundredths = std::round(value * 100.0);
    const bool tenthsSuffice = std::isfinite(hundredths) && std::fmod(hundredths, 10.0) == 0.0;
    return decimal(value, tenthsSuffice ? 1 : 2, unit);
}

std::string whole(double value, const char* unit) {
    return std::to_string(roundToInt(value)) + unit;
}

} // namespace

std::string controlValueText(std::int32_t index, float value) {
    if (!isControlIndex(index)) return "";
    const double v = value;
    switch (index) {
    case Volume:
        return decimal(v, 1, " dB");
    case BendRange:
        return whole(v, " st");
    case VibratoRate:
        return fineDecimal(v, " Hz");
    case VibratoDepth:
        return whole(v, " ct");
    case EnvCurve:
        return kEnvCurveNames[roundToInt(v) >= NaturalCurve ? NaturalCurve : LinearCurve];
    case EnvScale:
        return "x" + fineDecimal(v, "");
    case Oscillators:
        return kOscillatorNames[roundToInt(v) >= CleanOscillators ? CleanOscillators
                                                                  : ClassicOscillators];
    default: // the classic parameters and velocity_sense, from 0 to 1
        return decimal(v, 2, "");
    }
}
