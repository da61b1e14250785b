// The text beside each control: its value in the control's own unit, with the decimals its steps
// need, and never "-0".
#include "synth/control_text.h"

#include <gtest/gtest.h>

#include <limits>

#include "synth/parameters.h"

namespace {

struct TextRow {
    std::int32_t index;
    float value;
    const char* text;
};

TEST(ControlText, EveryControlSpeaksItsOwnUnit) {
    const TextRow rows[] = {
        {CutOff, 0.5f, "0.50"},
        {Attack, 0.1f, "0.10"},
        {Wave, 1.0f, "1.00"},
        {Volume, -6.0f, "-6.0 dB"},
        {Volume, 12.0f, "12.0 dB"},
        {Volume, -0.04f, "0.0 dB"}, // rounds to zero without a sign
        {Volume, -60.0f, "-60.0 dB"},
        {VelocitySense, 0.8f, "0.80"},
        {BendRange, 12.0f, "12 st"},
        {BendRange, 1.4f, "1 st"},
        {VibratoRate, 5.5f, "5.5 Hz"},
        {VibratoRate, 5.25f, "5.25 Hz"},
        {VibratoRate, 12.0f, "12.0 Hz"},
        {VibratoDepth, 30.0f, "30 ct"},
        {VibratoDepth, 99.6f, "100 ct"},
        {EnvCurve, 0.0f, "Linear"},
        {EnvCurve, 1.0f, "Natural"},
        {EnvCurve, 7.0f, "Natural"},
        {EnvCurve, -3.0f, "Linear"},
        {EnvScale, 4.0f, "x4.0"},
        {EnvScale, 1.25f, "x1.25"},
        {EnvScale, 16.0f, "x16.0"},
    };
    for (const TextRow& row : rows)
        EXPECT_EQ(controlValueText(row.index, row.value), row.text)
            << kParameterSymbols[row.index] << " at " << row.value;
}

TEST(ControlText, NoTextOutsideTheControlsAndNoFailureOnAnyFloat) {
    EXPECT_EQ(controlValueText(-1, 0.5f), "");
    EXPECT_EQ(controlValueText(kControlCount, 0.5f), "");
    const float hostile[] = {std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::max(), 1e-38f};
    for (std::int32_t index = 0; index < kControlCount; ++index)
        for (float value : hostile)
            EXPECT_FALSE(controlValueText(index, value).empty()) << index << " at " << value;
    EXPECT_EQ(controlValueText(Volume, -std::numeric_limits<float>::infinity()), "-inf dB");
}

} // namespace
