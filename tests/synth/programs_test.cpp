#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/synth/synth_fixture.h"

namespace {

TEST(Programs, ANewInstanceHasThirtyTwoDefaultPrograms) {
    Instrument instrument;
    EXPECT_EQ(kProgramCount, 32);
    EXPECT_STREQ(instrument.program(0).name, "init1");
    EXPECT_STREQ(instrument.program(31).name, "init32");
    EXPECT_EQ(instrument.currentProgram(), 0);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(instrument.parameter(i), kParameterDefaults[i]);
    EXPECT_EQ(instrument.parameter(Attack), 0.1f);
}

TEST(Programs, ParameterWritesGoIntoTheCurrentProgram) {
    Instrument instrument;
    instrument.selectProgram(3);
    instrument.setParameter(CutOff, 0.8f);
    instrument.selectProgram(5);
    EXPECT_EQ(instrument.parameter(CutOff), 0.5f);
    instrument.selectProgram(3);
    EXPECT_EQ(instrument.parameter(CutOff), 0.8f);
    EXPECT_EQ(instrument.program(5).value(CutOff), 0.5f);
    EXPECT_EQ(instrument.currentProgram(), 3);
}

TEST(Programs, NamesAreKeptPerProgramAndCutToTwentyThreeCharacters) {
    Instrument instrument;
    instrument.selectProgram(2);
    EXPECT_TRUE(instrument.setProgramName(instrument.currentProgram(), "Warm Organ"));
    instrument.selectProgram(0);
    EXPECT_STREQ(instrument.program(2).name, "Warm Organ");
    EXPECT_STREQ(instrument.program(instrument.currentProgram()).name, "init1");

    instrument.setProgramName(0, "A name far longer than the twenty-four byte field");
    EXPECT_STREQ(instrument.program(0).name, "A name far longer than ");
    EXPECT_STREQ(instrument.program(1).name, "init2"); // the neighbour is untouched

    // A bound one byte too long would write a terminator into the values that follow the name;
    // at 0.3 no byte of them is zero, so the slip would show.
    for (std::int32_t index = 0; index < kParameterCount; ++index)
        instrument.setParameter(index, 0.3f);
    instrument.setProgramName(0, "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn");
    EXPECT_EQ(std::string(instrument.program(0).name), std::string(23, 'n'));
    for (std::int32_t index = 0; index < kParameterCount; ++index) {
        EXPECT_EQ(instrument.program(0).value(index), 0.3f) << index;
        EXPECT_EQ(instrument.parameter(index), 0.3f) << index;
    }
}

TEST(Programs, CopyingMakesAnExactCopyWithoutChangingTheSound) {
    Instrument instrument;
    instrument.selectProgram(3);
    instrument.setParameter(Q, 0.9f);
    instrument.setProgramName(3, "Bright");
    EXPECT_TRUE(instrument.copyProgram(7));
    EXPECT_STREQ(instrument.program(7).name, "Bright");
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(instrument.program(7).value(i), instrument.program(3).value(i));
    EXPECT_EQ(instrument.currentProgram(), 3);
    EXPECT_FALSE(instrument.copyProgram(32));
    EXPECT_FALSE(instrument.copyProgram(-1));
    EXPECT_TRUE(instrument.copyProgram(3)); // onto itself: nothing changes
    EXPECT_STREQ(instrument.program(3).name, "Bright");
}

TEST(Programs, NumbersOutsideTheBankChangeNothing) {
    Instrument instrument;
    instrument.selectProgram(4);
    instrument.setParameter(CutOff, 0.8f);
    for (std::int32_t p : {-1, 32, -5}) {
        instrument.selectProgram(p);
        instrument.settleProgram(p);
        EXPECT_FALSE(instrument.setProgramName(p, "x"));
    }
    EXPECT_EQ(instrument.currentProgram(), 4);
    EXPECT_EQ(instrument.parameter(CutOff), 0.8f);
}

// Under the classic rule the sequence shows in the drawbar weights.
TEST(Programs, SelectingAppliesEveryValueInItsSequence) {
    PlayedInstrument s{DrawbarRule::Classic};
    s.instrument.selectProgram(1);
    s.instrument.setParameter(Drawbar2, 1.0f); // sum 4.5 for program 1
    s.instrument.selectProgram(0);             // back to all drawbars at 0.5, applied in order
    // Drawbar2 was applied while the others still summed 0.5 each: 1 + 0.5 * 6 = 4.
    EXPECT_EQ(s.values().harmonicWeight[1].load(std::memory_order_relaxed), 125);
    s.instrument.selectProgram(1);
    // Drawbar2 = 1.0 applied first: sum 1 + 1 + 0.5 * 5 = 4.5 -> 222; the fundamental ends
    // with the final sum 4.5 too.
    EXPECT_EQ(s.values().harmonicWeight[1].load(std::memory_order_relaxed), 222);
    EXPECT_EQ(s.values().harmonicWeight[0].load(std::memory_order_relaxed), 222);
}

// Two instruments that lived differently, with the same program 0 at the end: under the classic
// rule a select leaves each with weights of its own history; settling leaves the same sound in
// both.
TEST(Programs, SettlingMakesTheSoundFollowTheProgramAndTheRateAlone) {
    const auto play = [](bool settle, float firstRate, float drawbarsBefore) {
        Instrument instrument{DrawbarRule::Classic};
        instrument.setSampleRate(firstRate);
        instrument.selectProgram(5);
        for (std::int32_t k = Drawbar3; k >= Drawbar2; --k)
            instrument.setParameter(k, drawbarsBefore);
        for (std::int32_t index = 0; index < kParameterCount; ++index)
            instrument.setProgramValue(0, index, index >= Drawbar2 ? 0.9f : 0.3f);
        instrument.setSampleRate(48000.0f);
        if (settle)
            instrument.settleProgram(0);
        else
            instrument.selectProgram(0);
        instrument.noteOn(60, 100, 0);
        std::vector<float> left(2048), right(2048);
        instrument.renderReplacing(left.data(), right.data(), 2048);
        return left;
    };
    EXPECT_NE(play(false, 44100.0f, 0.0f), play(false, 96000.0f, 1.0f));
    const std::vector<float> settled = play(true, 44100.0f, 0.0f);
    EXPECT_EQ(settled, play(true, 96000.0f, 1.0f));
    EXPECT_NE(settled, std::vector<float>(settled.size(), 0.0f));
}

} // namespace
