// Expressions of single notes and the silence of single keys, as the CLAP front hands them to the
// instrument: only the voices of the key named change, on top of the bend, until they start
// another note.
#include <gtest/gtest.h>

#include "tests/synth/synth_fixture.h"

TEST(NoteExpressions, TuningAndLevelReachOnlyTheVoicesOfTheirKey) {
    PlayedInstrument s, plain;
    for (PlayedInstrument* p : {&s, &plain}) {
        p->noteOn(60); // voice 1
        p->noteOn(67); // voice 2
        p->render(64);
    }
    s.instrument.noteExpression(60, NoteExpression::Tuning, 12.0);
    s.instrument.noteExpression(67, NoteExpression::Volume, 0.5);
    EXPECT_EQ(s.voice(1).phaseStep, 2.0f * plain.voice(1).phaseStep);
    EXPECT_EQ(s.voice(2).phaseStep, plain.voice(2).phaseStep);
    EXPECT_EQ(s.voice(1).voiceGain, plain.voice(1).voiceGain);
    EXPECT_EQ(s.voice(2).voiceGain, 0.5f * plain.voice(2).voiceGain);

    // A bend moves the tuned voice with the others and keeps its tuning.
    for (PlayedInstrument* p : {&s, &plain})
        p->instrument.bendWheel(12000);
    EXPECT_NE(plain.voice(1).phaseStep, 2.0f * plain.voice(2).phaseStep);
    EXPECT_EQ(s.voice(1).phaseStep, 2.0f * plain.voice(1).phaseStep);

    // Held within range; a value that is no number changes nothing.
    s.instrument.noteExpression(67, NoteExpression::Volume, 9.0);
    EXPECT_EQ(s.voice(2).voiceGain, 4.0f * plain.voice(2).voiceGain);
    s.instrument.noteExpression(60, NoteExpression::Tuning, -500.0);
    EXPECT_EQ(s.voice(1).phaseStep, 0x1p-10f * plain.voice(1).phaseStep);
    s.instrument.noteExpression(60, NoteExpression::Tuning, std::nan(""));
    EXPECT_EQ(s.voice(1).phaseStep, plain.voice(1).phaseStep);

    // The voice's next note starts without them: the ring comes round to voice 1 again.
    for (int n = 0; n < kVoiceCount; ++n)
        for (PlayedInstrument* p : {&s, &plain})
            p->noteOn(40 + n % 2);
    ASSERT_EQ(s.voice(2).noteNumber, 40);
    EXPECT_EQ(s.voice(2).voiceGain, plain.voice(2).voiceGain);
    EXPECT_EQ(s.voice(1).phaseStep, plain.voice(1).phaseStep);
}

TEST(NoteExpressions, SilencingAKeyStopsItsVoicesAtOnceAndNoOthers) {
    PlayedInstrument s, alone;
    s.noteOn(60);
    s.noteOn(64);
    alone.noteOn(60);
    s.render(300);
    alone.render(300);
    s.noteOff(64);
    s.render(10); // 64 releasing, 60 held
    alone.render(10);
    s.instrument.silenceKey(64);
    EXPECT_EQ(s.voice(2).stage, Idle);
    EXPECT_EQ(s.voice(1).stage, alone.voice(1).stage);
    EXPECT_EQ(s.render(512), alone.render(512));
}
