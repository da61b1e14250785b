// The MIDI front: the pedal, all notes off, all sound off, program change and the performance
// controllers, against the instrument's own entries and silence.
#include "plugin/vst2/vst2_midi.h"
#include "synth/engine_probe.h"
#include "synth/midi_front.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Played {
    Instrument instrument;
    MidiFront front{instrument};

    void send(std::vector<std::uint8_t> bytes, std::int32_t frame) {
        front.message(bytes.data(), bytes.size(), frame);
    }
    std::vector<float> render(std::int32_t frames) {
        std::vector<float> left(frames), right(frames);
        instrument.renderReplacing(left.data(), right.data(), frames);
        return left;
    }
};

TEST(MidiFront, APedalHoldsANoteOffUntilTheFrameWhereItLifts) {
    Played pedalled, direct, unpedalled;
    pedalled.send({0x90, 60, 100}, 0);
    pedalled.send({0xB3, 64, 127}, 5); // any channel
    pedalled.send({0x80, 60, 0}, 10);
    pedalled.send({0xB0, 64, 0}, 200);
    direct.instrument.noteOn(60, 100, 0);
    direct.instrument.noteOff(60, 200);
    unpedalled.send({0x90, 60, 100}, 0);
    unpedalled.send({0x80, 60, 0}, 10);
    const std::vector<float> held = pedalled.render(4096);
    EXPECT_EQ(held, direct.render(4096));
    EXPECT_NE(held, unpedalled.render(4096));
    EXPECT_FALSE(pedalled.front.pedalDown());
}

// What the front passes on sounds as the same raw messages given to the instrument.
TEST(MidiFront, NotesBendsAndControllerOneTwentySixSoundAsTheRawMessages) {
    const std::vector<std::vector<std::uint8_t>> blocks[] = {
        {{0x90, 60, 100}, {0x93, 67, 90}, {0xE3, 0x55, 127}},
        {{0xA0, 60, 5}, {0xB0, 74, 20}, {0x80, 60, 64}},
        {{0xE0, 0, 0}, {0x90, 72, 127}, {0x90, 74, 127}},
        {{0x90, 72, 0}},
        {{0xB2, 126, 0}},
        {{0x90, 48, 80}},
    };
    Played front, raw;
    std::vector<float> played, direct;
    for (const auto& block : blocks) {
        std::int32_t frame = 0;
        for (const std::vector<std::uint8_t>& m : block) {
            front.send(m, frame);
            playVst2Midi(raw.instrument, m[0], m[1], m.size() > 2 ? m[2] : 0, frame);
            frame += 37;
        }
        const std::vector<float> a = front.render(1024), b = raw.render(1024);
        played.insert(played.end(), a.begin(), a.end());
        direct.insert(direct.end(), b.begin(), b.end());
    }
    EXPECT_EQ(played, direct);
    EXPECT_NE(played, std::vector<float>(played.size(), 0.0f));
    EXPECT_EQ(EngineProbe::engine(front.instrument).soundingVoices(), 1);
}

// The mod wheel, pressure, channel volume and expression act through the front alone: the raw
// path, VST 2's, ignores them as it always did. Reset all controllers lets go of all but the
// channel volume.
TEST(MidiFront, PerformanceControllersActThroughTheFrontAloneAndResetLetsGo) {
    Played front, raw, plain, volumeOnly;
    for (Played* p : {&front, &raw, &plain, &volumeOnly})
        p->instrument.noteOn(69, 100, 0);
    const std::vector<std::vector<std::uint8_t>> controllers = {
        {0xB0, 1, 127}, {0xD1, 100}, {0xB0, 7, 40}, {0xB2, 11, 70}, {0xE0, 0, 0}};
    for (const std::vector<std::uint8_t>& m : controllers) {
        front.send(m, 0);
        if (m[0] != 0xE0) playVst2Midi(raw.instrument, m[0], m[1], m.size() > 2 ? m[2] : 0, 0);
    }
    volumeOnly.send({0xB0, 7, 40}, 0);
    const std::vector<float> expected = plain.render(4096);
    EXPECT_EQ(raw.render(4096), expected);
    EXPECT_NE(front.render(4096), expected);

    front.send({0xB0, 121, 0}, 0);
    front.render(4096);
    volumeOnly.render(4096);
    EXPECT_EQ(EngineProbe::engine(front.instrument).voice(1).phaseStep,
              EngineProbe::engine(plain.instrument).voice(1).phaseStep);
    const auto loudest = [](const std::vector<float>& x) {
        float m = 0;
        for (float v : x)
            m = std::max(m, std::fabs(v));
        return m;
    };
    const float level = loudest(front.render(4096)),
                expectedLevel = loudest(volumeOnly.render(4096));
    EXPECT_NEAR(level, expectedLevel, 0.02 * expectedLevel);
    EXPECT_LT(level, 0.2f * loudest(plain.render(4096)));
}

TEST(MidiFront, ThePedalHoldsFromValue64AndLetsGoBelowIt) {
    struct Case {
        std::uint8_t value;
        std::int32_t soundingAfter;
    };
    for (const auto [value, soundingAfter] : {Case{63, 0}, Case{64, 1}}) {
        Played p;
        p.send({0x90, 60, 100}, 0);
        p.send({0xB0, 64, value}, 5);
        p.send({0x80, 60, 0}, 10);
        p.render(44100); // longer than the longest release
        EXPECT_EQ(EngineProbe::engine(p.instrument).soundingVoices(), soundingAfter) << int{value};
    }
}

TEST(MidiFront, AKeyStruckAgainUnderThePedalKeepsSoundingAfterItLifts) {
    Played p;
    p.send({0xB0, 64, 127}, 0);
    p.send({0x90, 60, 100}, 0);
    p.send({0x80, 60, 0}, 10);
    p.send({0x90, 60, 100}, 20); // the key again: the held note ends, a new one starts
    p.send({0xB0, 64, 0}, 30);
    p.render(44100);
    EXPECT_EQ(EngineProbe::engine(p.instrument).soundingVoices(), 1);
}

TEST(MidiFront, AllNotesOffReleasesHeldAndSustainedNotesAndAllSoundOffSilences) {
    Played p;
    p.send({0xB0, 64, 127}, 0);
    for (std::uint8_t note : {48, 52, 55})
        p.send({0x90, note, 90}, 0);
    p.send({0x80, 48, 0}, 5);
    p.send({0xB0, 123, 0}, 10);
    p.render(44100); // longer than the longest release
    EXPECT_EQ(EngineProbe::engine(p.instrument).soundingVoices(), 0);

    p.send({0x90, 60, 100}, 0);
    p.render(64);
    EXPECT_EQ(EngineProbe::engine(p.instrument).soundingVoices(), 1);
    p.send({0xB0, 120, 0}, 0);
    p.render(1);
    EXPECT_EQ(EngineProbe::engine(p.instrument).soundingVoices(), 0);
}

TEST(MidiFront, ProgramChangeSelectsOneOfTheThirtyTwoAndShortMessagesAreIgnored) {
    Played p;
    p.send({0xC0, 31}, 0);
    EXPECT_EQ(p.instrument.currentProgram(), 31);
    p.send({0xC5, 7}, 0);
    EXPECT_EQ(p.instrument.currentProgram(), 7);
    p.send({0xC0, 32}, 0);
    p.send({0xC0}, 0);
    p.send({0x90, 60}, 0);
    p.send({0x40, 60, 100}, 0); // a data byte where a status belongs
    EXPECT_EQ(p.instrument.currentProgram(), 7);
    p.render(64);
    EXPECT_EQ(EngineProbe::engine(p.instrument).soundingVoices(), 0);
}

// Typed events (CLAP's notes) carry no data bytes: the typed entries count notes and values
// modulo 128, and the bend modulo 16384, as the bytes would have them.
TEST(MidiFront, TypedEntriesCountAsDataBytesDo) {
    Played typed, bytes;
    typed.front.noteOn(60 + 128, 100 + 128, 0);
    typed.front.noteOn(64, 90, 0);
    typed.front.pitchBend(16384 + 10000);
    typed.front.noteOff(60 + 128, 300);
    typed.front.noteOn(64, 128, 400); // velocity 0: a note-off
    typed.front.controller(7 + 128, 60 + 128, 0);
    typed.front.programChange(3 + 128);
    bytes.send({0x90, 60, 100}, 0);
    bytes.send({0x90, 64, 90}, 0);
    bytes.send({0xE0, 10000 & 0x7F, 10000 >> 7}, 0);
    bytes.send({0x80, 60, 0}, 300);
    bytes.send({0x80, 64, 0}, 400);
    bytes.send({0xB0, 7, 60}, 0);
    bytes.send({0xC0, 3}, 0);
    EXPECT_EQ(typed.instrument.currentProgram(), 3);
    const std::vector<float> played = typed.render(4096);
    EXPECT_EQ(played, bytes.render(4096));
    EXPECT_NE(played, std::vector<float>(played.size(), 0.0f));
}

// A host's reset: the pedal up, every sound off and the bend centred, so that what follows plays
// as on a fresh instrument.
TEST(MidiFront, ResetLiftsThePedalSilencesAndCentresTheBend) {
    Played p, fresh;
    p.front.controller(64, 127, 0);
    p.front.noteOn(60, 100, 0);
    p.front.pitchBend(0);
    p.render(256);
    p.front.noteOff(60, 0); // held by the pedal
    p.front.reset();
    EXPECT_FALSE(p.front.pedalDown());
    p.render(1);
    EXPECT_EQ(EngineProbe::engine(p.instrument).soundingVoices(), 0);
    for (Played* q : {&p, &fresh}) {
        q->front.noteOn(67, 100, 0);
        q->front.noteOff(67, 100);
    }
    const std::vector<float> after = p.render(8192);
    EXPECT_EQ(after, fresh.render(8192));
    EXPECT_EQ(EngineProbe::engine(p.instrument).soundingVoices(), 0);
}

} // namespace
