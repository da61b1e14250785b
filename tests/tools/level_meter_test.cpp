// Peak and RMS levels of the summary line, in dBFS.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tools/render/level_meter.h"

TEST(LevelMeter, MeasuresEachChannelOnItsOwnAcrossBlocks) {
    std::vector<float> left(100), right(100, 0.0f);
    for (std::size_t i = 0; i < left.size(); ++i)
        left[i] = i % 2 ? 0.5f : -0.5f;
    right[40] = -1.0f;
    const float* channels[] = {left.data(), right.data()};
    LevelMeter meter(2);
    meter.add(channels, 60);
    const float* rest[] = {left.data() + 60, right.data() + 60};
    meter.add(rest, 40);
    EXPECT_NEAR(meter.peakDb(0), -6.0206, 1e-4); // 20 log10(0.5)
    EXPECT_NEAR(meter.rmsDb(0), -6.0206, 1e-4);  // a square wave's RMS is its peak
    EXPECT_NEAR(meter.peakDb(1), 0.0, 1e-12);
    EXPECT_NEAR(meter.rmsDb(1), -20.0, 1e-9); // mean square 1/100
}

TEST(LevelMeter, SilenceIsMinusInfinity) {
    std::vector<float> zeros(64, 0.0f);
    const float* channels[] = {zeros.data()};
    LevelMeter meter(1);
    EXPECT_TRUE(std::isinf(meter.rmsDb(0))); // nothing measured yet
    meter.add(channels, 64);
    EXPECT_TRUE(std::isinf(meter.peakDb(0)) && meter.peakDb(0) < 0);
    EXPECT_TRUE(std::isinf(meter.rmsDb(0)) && meter.rmsDb(0) < 0);
}
