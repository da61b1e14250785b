#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/synth/synth_fixture.h"

namespace {

std::string programName(SynthHost& s, int index) {
    char name[24] = "?";
    EXPECT_EQ(s.dispatch(effGetProgramNameIndexed, index, 0, name), 1);
    return name;
}

TEST(Programs, ANewInstanceHasThirtyTwoDefaultPrograms) {
    SynthHost s;
    EXPECT_EQ(s.synth.getAeffect()->numPrograms, 32);
    EXPECT_EQ(programName(s, 0), "init1");
    EXPECT_EQ(programName(s, 31), "init32");
    char name[24] = "untouched";
    EXPECT_EQ(s.dispatch(effGetProgramNameIndexed, 32, 0, name), 0);
    EXPECT_EQ(s.dispatch(effGetProgramNameIndexed, -1, 0, name), 0);
    EXPECT_STREQ(name, "untouched");
    s.dispatch(effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "init1");
    for (int i = 0; i < 16; ++i) EXPECT_EQ(s.synth.getParameter(i), kParameterDefaults[i]);
    EXPECT_EQ(s.synth.getParameter(Attack), 0.1f);
}

TEST(Programs, ParameterWritesGoIntoTheCurrentProgram) {
    SynthHost s;
    s.dispatch(effSetProgram, 0, 3);
    s.synth.setParameter(CutOff, 0.8f);
    s.dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(s.synth.getParameter(CutOff), 0.5f);
    s.dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(s.synth.getParameter(CutOff), 0.8f);
    EXPECT_EQ(s.synth.program(5).value(CutOff), 0.5f);
    EXPECT_EQ(s.dispatch(effGetProgram), 3);
}

TEST(Programs, NamesAreKeptPerProgramAndCutToTwentyThreeCharacters) {
    SynthHost s;
    s.dispatch(effSetProgram, 0, 2);
    char name[] = "Warm Organ";
    s.dispatch(effSetProgramName, 0, 0, name);
    s.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(programName(s, 2), "Warm Organ");
    char current[24];
    s.dispatch(effGetProgramName, 0, 0, current);
    EXPECT_STREQ(current, "init1");

    char longName[] = "A name far longer than the twenty-four byte field";
    s.dispatch(effSetProgramName, 0, 0, longName);
    EXPECT_EQ(programName(s, 0), "A name far longer than ");
    EXPECT_EQ(programName(s, 1), "init2"); // the neighbour is untouched

    // A bound one byte too long would write a terminator into the values that follow the name;
    // at 0.3 no byte of them is zero, so the slip would show.
    for (std::int32_t index = 0; index < kParameterCount; ++index)
        s.synth.getAeffect()->setParameter(s.synth.getAeffect(), index, 0.3f);
    char fortyNine[] = "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn";
    s.dispatch(effSetProgramName, 0, 0, fortyNine);
    EXPECT_EQ(programName(s, 0), std::string(23, 'n'));
    for (std::int32_t index = 0; index < kParameterCount; ++index) {
        EXPECT_EQ(s.synth.program(0).value(index), 0.3f) << index;
        EXPECT_EQ(s.synth.getAeffect()->getParameter(s.synth.getAeffect(), index), 0.3f) << index;
    }
}

TEST(Programs, CopyingMakesAnExactCopyWithoutChangingTheSound) {
    SynthHost s;
    s.dispatch(effSetProgram, 0, 3);
    s.synth.setParameter(Q, 0.9f);
    char name[] = "Bright";
    s.dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(s.dispatch(effCopyProgram, 7), 1);
    EXPECT_EQ(programName(s, 7), "Bright");
    for (int i = 0; i < 16; ++i) EXPECT_EQ(s.synth.program(7).value(i), s.synth.program(3).value(i));
    EXPECT_EQ(s.dispatch(effGetProgram), 3);
    EXPECT_EQ(s.dispatch(effCopyProgram, 32), 0);
    EXPECT_EQ(s.dispatch(effCopyProgram, -1), 0);
    EXPECT_EQ(s.dispatch(effCopyProgram, 3), 1); // onto itself: nothing changes
    EXPECT_EQ(programName(s, 3), "Bright");
}

TEST(Programs, NumbersOutsideTheBankChangeNothing) {
    SynthHost s;
    s.dispatch(effSetProgram, 0, 4);
    s.synth.setProgram(-1);
    s.synth.setProgram(32);
    s.dispatch(effSetProgram, 0, -5);
    s.dispatch(effSetProgram, 0, 32);
    EXPECT_EQ(s.dispatch(effGetProgram), 4);
}

TEST(Programs, SelectingAppliesEveryValueInItsSequence) {
    SynthHost s;
    s.dispatch(effSetProgram, 0, 1);
    s.synth.setParameter(Drawbar2, 1.0f); // sum 4.5 for program 1
    s.dispatch(effSetProgram, 0, 0);      // back to all drawbars at 0.5, applied in order
    // Drawbar2 was applied while the others still summed 0.5 each: 1 + 0.5 * 6 = 4.
    EXPECT_EQ(s.values().harmonicWeight[1].load(std::memory_order_relaxed), 125);
    s.dispatch(effSetProgram, 0, 1);
    // Drawbar2 = 1.0 applied first: sum 1 + 1 + 0.5 * 5 = 4.5 -> 222; the fundamental ends
    // with the final sum 4.5 too.
    EXPECT_EQ(s.values().harmonicWeight[1].load(std::memory_order_relaxed), 222);
    EXPECT_EQ(s.values().harmonicWeight[0].load(std::memory_order_relaxed), 222);
}

// Two instruments that lived differently, with the same program 0 at the end: a select leaves
// each with weights of its own history; settling leaves the same sound in both.
TEST(Programs, SettlingMakesTheSoundFollowTheProgramAndTheRateAlone) {
    const auto play = [](bool settle, float firstRate, float drawbarsBefore) {
        Instrument instrument;
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
        instrument.midiEvent(0x90, 60, 100, 0);
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
