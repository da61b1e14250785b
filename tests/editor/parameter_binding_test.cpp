#include "editor/parameter_binding.h"

#include <gtest/gtest.h>

namespace {

struct ValueRow {
    std::int32_t parameter;
    std::int32_t position;
    double value;
};

TEST(ParameterBinding, PositionsStandForTheirDocumentedValues) {
    const ValueRow rows[] = {
        {Attack, 0, 1.0},   {Attack, 50, 0.0},  {Attack, 45, 0.1},  {Sustain, 25, 0.5},
        {CutOff, 37, 0.37}, {Q, 0, 0.0},        {Env, 100, 1.0},    {Type, 1, 0.5},
        {Type, 2, 1.0},     {Drawbar2, 0, 1.0}, {Drawbar3, 7, 0.3}, {Wave, 2, 2.0 / 3.0},
        {Wave, 3, 1.0},     {Smooth, 1, 0.01},
    };
    for (const ValueRow& row : rows)
        EXPECT_EQ(kBindings[row.parameter].valueAt(row.position), row.value)
            << row.parameter << " at " << row.position;
}

struct PositionRow {
    std::int32_t parameter;
    float value;
    std::int32_t position;
};

TEST(ParameterBinding, ValuesShowAtTheNearestStepWithHalvesToEven) {
    const PositionRow rows[] = {
        {Attack, 0.1f, 45},    {Attack, 0.31f, 34},  {Attack, 0.3f, 35},   {Attack, 1.0f, 0},
        {CutOff, 0.37f, 37},   {CutOff, 0.125f, 12}, {CutOff, 0.375f, 38}, // halves to even
        {Type, 0.25f, 0},      {Type, 0.75f, 2},     {Wave, 0.5f, 2},      {Wave, 0.16f, 0},
        {Drawbar16, 0.25f, 8},                       // 2.5 steps round to 2, counted from the top
        {CutOff, 1.5f, 150},   {Attack, -1.0f, 100}, // out of range: the form clamps, not this
    };
    for (const PositionRow& row : rows)
        EXPECT_EQ(kBindings[row.parameter].positionFor(row.value), row.position)
            << row.parameter << " for " << row.value;
}

TEST(ParameterBinding, EveryPositionShowsItsOwnValueAgain) {
    for (std::int32_t p = 0; p < kParameterCount; ++p) {
        const ParameterBinding& binding = kBindings[p];
        for (std::int32_t n = 0; n <= binding.steps; ++n)
            EXPECT_EQ(binding.positionFor(static_cast<float>(binding.valueAt(n))), n)
                << p << " at " << n;
    }
}

} // namespace
