#include <gtest/gtest.h>

#include <cmath>

#include "tests/synth/synth_fixture.h"

namespace {

TEST(VoiceRing, ANewSynthHasSeventeenIdleVoices) {
    PlayedInstrument s;
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(s.voice(i).stage, Idle);
    EXPECT_EQ(s.engine().lastVoiceIndex(), 0);
    EXPECT_EQ(s.engine().currentBendFactor(), 1.0f);
}

TEST(VoiceRing, NoteOnTakesNextVoiceAndReleasesTheOneAfter) {
    PlayedInstrument s;
    s.noteOn(60);
    EXPECT_EQ(s.voice(1).stage, AttackStage);
    for (int n = 1; n < 16; ++n)
        s.noteOn(60 + n);
    EXPECT_EQ(s.voice(16).noteNumber, 75);
    EXPECT_EQ(s.voice(0).stage, Idle);
    s.noteOn(90, 100, 7); // the seventeenth takes voice 0 and releases voice 1 at its offset
    EXPECT_EQ(s.voice(0).noteNumber, 90);
    EXPECT_EQ(s.voice(1).releaseCountdown, 7);
    EXPECT_EQ(s.voice(2).releaseCountdown, -1);
    s.noteOn(91); // the eighteenth cuts voice 1 wherever its release stands
    EXPECT_EQ(s.voice(1).noteNumber, 91);
    EXPECT_EQ(s.voice(1).releaseCountdown, -1);
    EXPECT_EQ(s.engine().lastVoiceIndex(), 1);
}

TEST(VoiceRing, StartVoiceSetsGainKeyTrackAndPitch) {
    PlayedInstrument s;
    s.noteOn(69, 127, 12);
    const Voice& v = s.voice(1);
    EXPECT_EQ(v.velocity, 127);
    EXPECT_EQ(v.startDelay, 12);
    EXPECT_EQ(v.voiceGain, static_cast<float>(127 * 0.007874015748031496 * 2e-9));
    EXPECT_EQ(v.keyTrack, static_cast<float>((255 * 69) * 0.000030517578125));
    EXPECT_FLOAT_EQ(v.phaseStep, 40.867119f);
}

TEST(NoteOff, ReleasesEveryHeldVoiceOfTheNoteOnAnyChannel) {
    PlayedInstrument s;
    s.noteOn(64);
    s.send({{0, 0x93, 64, 90}});  // the same note on another channel
    s.send({{5, 0x8F, 64, 127}}); // release velocity has no effect
    EXPECT_EQ(s.voice(1).releaseCountdown, 5);
    EXPECT_EQ(s.voice(2).releaseCountdown, 5);
    s.noteOn(65);
    s.send({{9, 0x90, 65, 0}}); // velocity 0 is a note-off
    EXPECT_EQ(s.voice(3).releaseCountdown, 9);
    s.noteOff(70); // matches nothing
    EXPECT_EQ(s.voice(4).stage, Idle);
}

TEST(NoteOff, NegativeOffsetsCountAsNow) {
    PlayedInstrument s;
    s.noteOn(60, 100, -40);
    EXPECT_EQ(s.voice(1).startDelay, 0);
    s.noteOff(60, -3);
    EXPECT_EQ(s.voice(1).releaseCountdown, 0);
}

TEST(Controllers, OneTwentySixSilencesEveryVoiceAndOthersAreIgnored) {
    PlayedInstrument s;
    s.noteOn(60);
    s.noteOn(62);
    s.send({{0, 0xB0, 123, 0}, {0, 0xB0, 7, 100}, {0, 0xA0, 60, 1}, {0, 0xC0, 3, 0}});
    EXPECT_EQ(s.voice(1).stage, AttackStage);
    s.send({{0, 0xB5, 126, 0}});
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(s.voice(i).stage, Idle);
    EXPECT_EQ(s.render(64), std::vector<float>(64, 0.0f));
}

TEST(PitchBend, CoarseByteSetsTheFactorAndRetunesSoundingVoices) {
    PlayedInstrument s;
    s.classicControls();
    s.noteOn(69);
    const float before = s.voice(1).phaseStep;
    s.send({{0, 0xE0, 0x55, 127}});
    EXPECT_EQ(s.engine().currentBendFactor(), static_cast<float>(1.059463094359));
    EXPECT_EQ(s.voice(1).phaseStep,
              static_cast<float>(double(before) * static_cast<float>(1.059463094359)));
    s.send({{0, 0xE0, 0x00, 0}});
    EXPECT_EQ(s.engine().currentBendFactor(), static_cast<float>(std::pow(1.059463094359, -1.0)));
    s.send({{0, 0xE0, 0x7F, 64}});
    EXPECT_EQ(s.engine().currentBendFactor(), 1.0f);
    EXPECT_EQ(s.voice(1).phaseStep, before);
}

} // namespace
