// The instrument's tuning: notes take the table's frequencies, sounding ones at once; keys that do
// not sound start nothing; MIDI Tuning Standard SysEx through the MIDI front; a table posted from
// another thread; and equal temperament that leaves every sample as it was.
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "synth/midi_front.h"
#include "synth/tuning/mts_messages.h"
#include "synth_fixture.h"

namespace {

// The phase step a voice of `hz` takes at 44100 Hz without bend or vibrato.
float stepFor(double hz) {
    return static_cast<float>(hz * static_cast<double>(static_cast<float>(4096.0 / 44100.0)));
}

TuningTable tableWith(int note, double hz) {
    TuningTable table = Instrument::untunedTable();
    table.hz[note] = hz;
    return table;
}

TEST(Tuning, ASoundingNoteTakesItsNewFrequencyAtOnceAndOthersKeepTheirs) {
    PlayedInstrument s;
    s.noteOn(60);
    s.noteOn(64);
    s.render(64);
    const float before64 = s.voice(2).phaseStep;
    s.instrument.setTuning(tableWith(60, 300.0));
    EXPECT_EQ(s.voice(1).phaseStep, stepFor(300.0));
    EXPECT_EQ(s.voice(2).phaseStep, before64);
    s.noteOn(60);
    EXPECT_EQ(s.voice(3).phaseStep, stepFor(300.0));
}

TEST(Tuning, KeysThatDoNotSoundStartNoVoiceAndTheirNoteOffsHarmNothing) {
    PlayedInstrument s;
    TuningTable table = Instrument::untunedTable();
    table.sounds[61] = false;
    s.instrument.setTuning(table);
    s.noteOn(61);
    EXPECT_EQ(s.engine().soundingVoices(), 0);
    EXPECT_EQ(s.engine().lastVoiceIndex(), 0);
    s.noteOff(61);
    s.noteOn(62);
    EXPECT_EQ(s.engine().soundingVoices(), 1);
}

// Untuned, retuned and set back: every sample is the never-tuned instrument's.
TEST(Tuning, EqualTemperamentRendersExactlyAsWithoutATuning) {
    PlayedInstrument plain, reset;
    reset.instrument.setTuning(tableWith(60, 250.0));
    reset.instrument.setTuning(Instrument::untunedTable());
    for (PlayedInstrument* s : {&plain, &reset}) {
        s->noteOn(60);
        s->noteOn(67, 90, 17);
        s->send({{30, 0xE0, 0x10, 0x50}});
    }
    EXPECT_EQ(plain.render(3000), reset.render(3000));
}

TEST(Tuning, MtsSysExThroughTheMidiFrontRetunesOneNoteAndABadChecksumChangesNothing) {
    PlayedInstrument s;
    MidiFront front(s.instrument);
    const std::uint8_t on[] = {0x90, 69, 100};
    front.message(on, sizeof on, 0);
    // Note 69 to 70 + 0x2000/16384 semitone: a quarter tone above A#4.
    const std::vector<std::uint8_t> single = {0xF0, 0x7F, 0x7F, 0x08, 0x02, 0x00,
                                              0x01, 69,   70,   0x40, 0x00, 0xF7};
    front.message(single.data(), single.size(), 0);
    const double hz = mtsFrequencyHz({70, 0x40, 0x00});
    EXPECT_EQ(s.voice(1).phaseStep, stepFor(hz));
    EXPECT_EQ(s.instrument.tuning().hz[69], hz);

    MtsBulkDump dump = mtsBulkDump(Instrument::untunedTable(), {}, "equal");
    dump[kMtsBulkDumpSize - 2] ^= 1; // the checksum
    front.message(dump.data(), dump.size(), 0);
    EXPECT_EQ(s.instrument.tuning().hz[69], hz);
    dump[kMtsBulkDumpSize - 2] ^= 1;
    front.message(dump.data(), dump.size(), 0);
    EXPECT_NE(s.instrument.tuning().hz[69], hz);
}

// A table posted by another thread is in force for the next note, and the newest post wins.
TEST(Tuning, APostedTableReachesTheNextNote) {
    PlayedInstrument s;
    std::thread loader([&] {
        s.instrument.postTuning(tableWith(60, 100.0));
        s.instrument.postTuning(tableWith(60, 200.0));
    });
    loader.join();
    s.noteOn(60);
    EXPECT_EQ(s.voice(1).phaseStep, stepFor(200.0));
    s.render(16);
    s.noteOn(60);
    EXPECT_EQ(s.voice(2).phaseStep, stepFor(200.0));
}

// A table posted by another thread sounds from the first block rendered after it, on the render
// the VST 2 front calls as on the others.
TEST(Tuning, APostedTableSoundsInTheNextReplacingBlock) {
    PlayedInstrument set, posted, untouched;
    for (PlayedInstrument* s : {&set, &posted, &untouched}) {
        s->noteOn(60);
        s->render(64);
    }
    set.instrument.setTuning(tableWith(60, 300.0));
    std::thread loader([&] { posted.instrument.postTuning(tableWith(60, 300.0)); });
    loader.join();
    const std::vector<float> block = posted.render(256);
    EXPECT_EQ(block, set.render(256));
    EXPECT_NE(block, untouched.render(256));
}

} // namespace
