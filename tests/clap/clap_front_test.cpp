// The CLAP front as a host drives it, through the built module: samples against the classic
// instrument, parameters and their text, notes by id, saved state through streams of any piece
// size, and the module's face to a host's scanner.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "synth/bank_text.h"
#include "synth/instrument.h"
#include "synth/tuning/mts_messages.h"
#include "synth/tuning/tuning_state_text.h"
#include "tests/clap/clap_host.h"
#include "tools/render/midi_timeline.h"

namespace {

// The demo's patch, by parameter index.
constexpr std::array<float, kParameterCount> kDemoPatch = {0.12f, 0.45f, 0.6f, 0.4f, 0.5f,  0.4f,
                                                           0.0f,  0.6f,  0.8f, 0.5f, 0.25f, 0.0f,
                                                           0.3f,  0.6f,  0.0f, 0.1f};

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// One thing that happens at a frame of a block: a control changes, or a MIDI message arrives.
struct Moment {
    std::uint32_t frame;
    std::int32_t index = -1; // a control, or -1 for `bytes`
    float value = 0.0f;
    std::array<std::uint8_t, 3> bytes{};
};

// The VST 2 build's instrument (classic drawbar rule, the playing controls at their classic
// values) with its drawbars settled after every change, rendering the block in pieces split at
// each change as the CLAP front does, its MIDI through the classic MIDI entry.
class ClassicReference {
  public:
    explicit ClassicReference(const std::array<float, kControlCount>& values) : values(values) {
        std::array<float, kParameterCount> patch{};
        std::copy_n(values.begin(), kParameterCount, patch.begin());
        instrument.loadValues(patch);
        instrument.settleProgram(instrument.currentProgram());
    }
    void run(std::uint32_t frames, const std::vector<Moment>& moments, std::vector<float>& left,
             std::vector<float>& right) {
        left.assign(frames, 0.0f);
        right.assign(frames, 0.0f);
        std::uint32_t rendered = 0;
        bool changed = false;
        const auto settle = [&] {
            if (!changed) return;
            for (std::int32_t index = Drawbar2; index <= Drawbar3; ++index)
                instrument.setParameter(index, values[index]);
            changed = false;
        };
        for (const Moment& m : moments) {
            if (m.index >= 0) {
                if (m.frame > rendered) {
                    settle();
                    instrument.renderReplacing(left.data() + rendered, right.data() + rendered,
                                               static_cast<std::int32_t>(m.frame - rendered));
                    rendered = m.frame;
                }
                values[m.index] = m.value;
                instrument.setParameter(m.index, m.value);
                changed = true;
                continue;
            }
            settle();
            instrument.midiEvent(m.bytes[0], m.bytes[1], m.bytes[2],
                                 static_cast<std::int32_t>(m.frame - rendered));
        }
        settle();
        instrument.renderReplacing(left.data() + rendered, right.data() + rendered,
                                   static_cast<std::int32_t>(frames - rendered));
    }

  private:
    Instrument instrument{DrawbarRule::Classic};
    std::array<float, kControlCount> values;
};

// The same moments as a CLAP host sends them: control changes as parameter events, half of the
// notes (those on even keys) as CLAP notes whose note-offs name the note by its id or by its
// key, the rest as MIDI.
class ClapNotes {
  public:
    void send(const std::vector<Moment>& moments, ClapEventList& events) {
        for (const Moment& m : moments) {
            if (m.index >= 0) {
                events.param(m.frame, static_cast<clap::Id>(m.index), m.value);
                continue;
            }
            const std::uint8_t kind = m.bytes[0] & 0xF0;
            const std::uint8_t key = m.bytes[1];
            const auto channel = static_cast<std::int16_t>(m.bytes[0] & 0x0F);
            const bool on = kind == 0x90 && m.bytes[2] > 0;
            const bool off = kind == 0x80 || (kind == 0x90 && m.bytes[2] == 0);
            if (key % 2 == 0 && on) {
                latestId[key] = nextId;
                events.note(clap::kEventNoteOn, m.frame, nextId++, key, m.bytes[2] / 127.0,
                            channel);
            } else if (key % 2 == 0 && off) {
                const bool byId = offs++ % 2 == 0;
                events.note(clap::kEventNoteOff, m.frame, byId ? latestId[key] : -1,
                            byId ? -1 : key, 0.0, channel);
            } else {
                events.midi(m.frame, m.bytes[0], m.bytes[1], m.bytes[2]);
            }
        }
    }

  private:
    std::array<std::int32_t, 128> latestId{};
    std::int32_t nextId = 1000;
    int offs = 0;
};

TEST(ClapFront, ClassicValuesGiveTheSettledClassicInstrumentsSamplesWithChangesAtTheirFrames) {
    // The demo's notes and bends; the bends with a fine byte of 0, as the classic MIDI reads
    // only the upper seven bits.
    std::vector<TimedMessage> messages;
    for (TimedMessage m : buildTimeline(loadMidiFile(ULVO_DEMO_MIDI), 44100).messages) {
        const std::uint8_t kind = m.bytes[0] & 0xF0;
        if (kind == 0xE0) m.bytes[1] = 0;
        if (kind == 0x80 || kind == 0x90 || kind == 0xE0) messages.push_back(m);
    }
    ASSERT_FALSE(messages.empty());
    const std::int64_t length =
        std::getenv("ULVO_SHORT_RUN") != nullptr ? 3 * 44100 : messages.back().frame + 44100;
    std::array<float, kControlCount> start = kClassicValues;
    std::copy(kDemoPatch.begin(), kDemoPatch.end(), start.begin());
    for (std::int64_t block : {1, 64, 4096}) {
        ClapHost clap;
        ASSERT_TRUE(clap.loaded() && clap.activate(44100.0)) << "the module at " ULVO_CLAP_MODULE;
        ClassicReference reference(start);
        ClapNotes notes;
        std::vector<float> clapLeft, clapRight, refLeft, refRight;
        std::size_t next = 0;
        // A host's automation: a few controls move every half second and a bit, mostly within
        // a block.
        std::int64_t nextChange = 22050 + 37;
        std::int64_t k = 0;
        float peak = 0.0f;
        for (std::int64_t at = 0; at < length; at += block) {
            const auto frames = static_cast<std::uint32_t>(std::min(block, length - at));
            std::vector<Moment> moments;
            for (; nextChange < at + frames; nextChange += 22050 + 37, ++k) {
                const auto frame = static_cast<std::uint32_t>(nextChange - at);
                moments.push_back({frame, CutOff, 0.2f + 0.15f * static_cast<float>(k % 5)});
                moments.push_back({frame, Drawbar8, static_cast<float>(k % 3) / 2.0f});
                moments.push_back({frame, Wave, static_cast<float>(k % 4) / 3.0f});
            }
            for (; next < messages.size() && messages[next].frame < at + frames; ++next) {
                const TimedMessage& m = messages[next];
                moments.push_back({static_cast<std::uint32_t>(m.frame - at),
                                   -1,
                                   0.0f,
                                   {m.bytes[0], m.bytes[1], m.bytes[2]}});
            }
            std::stable_sort(moments.begin(), moments.end(),
                             [](const Moment& a, const Moment& b) { return a.frame < b.frame; });
            // Every value at the start, which the reference was settled on.
            if (at == 0)
                for (std::int32_t index = 0; index < kControlCount; ++index)
                    clap.events.param(0, static_cast<clap::Id>(index), start[index]);
            notes.send(moments, clap.events);
            ASSERT_EQ(clap.run(frames, clapLeft, clapRight), clap::kProcessContinue);
            reference.run(frames, moments, refLeft, refRight);
            ASSERT_TRUE(sameBits(clapLeft, refLeft) && sameBits(clapRight, refRight))
                << "block size " << block << ", block at frame " << at;
            for (float s : clapLeft)
                peak = std::max(peak, std::fabs(s));
        }
        EXPECT_GT(peak, 0.05f) << "block size " << block;
        EXPECT_GT(k, 2) << "changes within the piece";
    }
}

TEST(ClapFront, EveryControlIsAParameterWithItsIndexAsIdItsRangeAndItsText) {
    ClapHost host;
    ASSERT_TRUE(host.loaded());
    ASSERT_NE(host.params, nullptr);
    ASSERT_EQ(host.params->count(host.plugin), static_cast<std::uint32_t>(kControlCount));
    std::set<std::string> names;
    for (std::int32_t index = 0; index < kControlCount; ++index) {
        clap::ParamInfo info{};
        ASSERT_TRUE(host.params->getInfo(host.plugin, static_cast<std::uint32_t>(index), &info));
        const ControlRange& range = kControlRanges[index];
        EXPECT_EQ(info.id, static_cast<clap::Id>(index));
        EXPECT_EQ(info.minValue, range.minimum) << index;
        EXPECT_EQ(info.maxValue, range.maximum) << index;
        EXPECT_EQ(info.defaultValue, kParameterDefaults[index]) << index;
        EXPECT_EQ(host.value(info.id), kParameterDefaults[index]) << "a new instance's value";
        EXPECT_NE(info.flags & clap::kParamIsAutomatable, 0u);
        EXPECT_EQ((info.flags & clap::kParamIsStepped) != 0, range.kind != ValueKind::Continuous);
        names.insert(info.name);
        // Every value the range holds reads back from its own text to within its last digit.
        for (double value :
             {static_cast<double>(range.minimum), static_cast<double>(kParameterDefaults[index]),
              static_cast<double>(range.maximum)}) {
            char text[64];
            ASSERT_TRUE(host.params->valueToText(host.plugin, info.id, value, text, sizeof text));
            double back = -1e9;
            ASSERT_TRUE(host.params->textToValue(host.plugin, info.id, text, &back)) << text;
            EXPECT_NEAR(back, value, 0.05) << index << ": " << text;
        }
    }
    EXPECT_EQ(names.size(), static_cast<std::size_t>(kControlCount)) << "names are unique";
    clap::ParamInfo beyond{};
    EXPECT_FALSE(host.params->getInfo(host.plugin, kControlCount, &beyond));

    const auto text = [&](clap::Id id, double value, std::uint32_t capacity = 64) {
        char buffer[64] = "unchanged";
        host.params->valueToText(host.plugin, id, value, buffer, capacity);
        return std::string(buffer);
    };
    EXPECT_EQ(text(Volume, -6.0), "-6.0 dB");
    EXPECT_EQ(text(EnvCurve, 1.0), "Natural");
    EXPECT_EQ(text(EnvCurve, 0.0), "Linear");
    EXPECT_EQ(text(BendRange, 12.0), "12 st");
    EXPECT_EQ(text(CutOff, 0.5), "0.50");
    EXPECT_EQ(text(VibratoRate, 5.5), "5.5 Hz");
    EXPECT_EQ(text(EnvScale, 4.0), "x4.0");
    EXPECT_EQ(text(Volume, 1e300), "12.0 dB") << "shown as it plays";
    EXPECT_EQ(text(Volume, -6.0, 4), "-6.") << "cut to the host's buffer";
    const auto value = [&](clap::Id id, const char* typed) {
        double v = -12345.0;
        return host.params->textToValue(host.plugin, id, typed, &v) ? v : -12345.0;
    };
    EXPECT_EQ(value(EnvCurve, " natural "), 1.0);
    EXPECT_EQ(value(Volume, "-6 dB"), -6.0);
    EXPECT_EQ(value(Volume, "+3"), 3.0);
    EXPECT_EQ(value(Volume, "100 dB"), 12.0) << "held within the range";
    EXPECT_EQ(value(BendRange, "3.4 st"), 3.0) << "stepped";
    EXPECT_EQ(value(Volume, "loud"), -12345.0);
    EXPECT_EQ(value(Volume, "-6 Hz"), -12345.0) << "another unit";
    EXPECT_EQ(value(EnvScale, "x 2.5"), 2.5);
    EXPECT_EQ(value(kControlCount, "0.5"), -12345.0);
}

// A host may send any value: the plug-in plays it as the nearest value in the range (whole for
// a stepped control), a value that is not a number changes nothing, and neither does an event
// for one note or key, as no control is offered per note.
TEST(ClapFront, ParameterValuesOutsideTheRangeSoundAsItsEndsAndNaNOrPerNoteEventsChangeNothing) {
    ClapHost hostile, tame;
    ASSERT_TRUE(hostile.loaded() && tame.loaded());
    ASSERT_TRUE(hostile.activate() && tame.activate());
    const double inf = INFINITY;
    const std::pair<clap::Id, std::pair<double, float>> outside[] = {
        {Q, {2.0, 1.0f}},           {Drawbar2, {96000.0, 1.0f}}, {Env, {-3.0, 0.0f}},
        {Sustain, {inf, 1.0f}},     {CutOff, {-inf, 0.0f}},      {Volume, {1e300, 12.0f}},
        {BendRange, {7.6, 8.0f}},   {EnvCurve, {0.4, 0.0f}},     {EnvScale, {-1e300, 1.0f}},
        {VibratoRate, {0.1, 0.5f}}, {kControlCount, {0.5, 0.0f}}};
    for (const auto& [id, values] : outside) {
        hostile.events.param(0, id, values.first);
        if (id < static_cast<clap::Id>(kControlCount)) tame.events.param(0, id, values.second);
    }
    std::vector<float> hostileLeft, hostileRight, tameLeft, tameRight;
    const auto play = [&](std::uint8_t key, const char* when) {
        hostile.events.midi(3, 0x90, key, 100);
        tame.events.midi(3, 0x90, key, 100);
        for (int block = 0; block < 6; ++block) {
            hostile.run(512, hostileLeft, hostileRight);
            tame.run(512, tameLeft, tameRight);
            ASSERT_TRUE(sameBits(hostileLeft, tameLeft) && sameBits(hostileRight, tameRight))
                << when << ", block " << block;
        }
    };
    play(60, "outside the range");
    for (const auto& [id, values] : outside) {
        if (id < static_cast<clap::Id>(kControlCount)) {
            EXPECT_EQ(hostile.value(id), values.second) << id;
        }
    }
    for (const auto& [id, values] : outside)
        hostile.events.param(0, id, NAN);
    clap::EventParamValue perKey{};
    perKey.header = {sizeof perKey, 0, clap::kCoreEventSpace, clap::kEventParamValue, 0};
    perKey.paramId = CutOff;
    perKey.noteId = -1;
    perKey.portIndex = perKey.channel = -1;
    perKey.key = 60;
    perKey.value = 0.9;
    hostile.events.add(perKey);
    play(67, "not a number, or for one key");
    EXPECT_EQ(hostile.save(), tame.save());
    EXPECT_NE(tameLeft, std::vector<float>(tameLeft.size(), 0.0f));
}

// flush applies parameter events without a render, and the sound follows as if the host had sent
// them with the next block.
TEST(ClapFront, FlushSetsValuesWithoutProcessing) {
    ClapHost flushed, processed;
    ASSERT_TRUE(flushed.loaded() && processed.loaded());
    ClapEventList changes;
    changes.param(0, CutOff, 0.2);
    changes.param(0, Drawbar16, 0.9);
    changes.param(0, BendRange, 12.0);
    flushed.flush(changes); // inactive: on the main thread
    EXPECT_EQ(flushed.value(CutOff), 0.2f);
    EXPECT_EQ(flushed.value(BendRange), 12.0);
    ASSERT_TRUE(flushed.activate() && processed.activate());
    processed.events.param(0, CutOff, 0.2);
    processed.events.param(0, Drawbar16, 0.9);
    processed.events.param(0, BendRange, 12.0);
    std::vector<float> a, b, left, right;
    for (int block = 0; block < 4; ++block) {
        flushed.events.midi(0, 0x90, 48 + block, 90);
        processed.events.midi(0, 0x90, 48 + block, 90);
        flushed.run(300, a, left);
        processed.run(300, b, right);
        ASSERT_TRUE(sameBits(a, b)) << "block " << block;
    }
    EXPECT_NE(a, std::vector<float>(a.size(), 0.0f));
}

std::vector<float> chord(ClapHost& host, int blocks = 8) {
    std::vector<float> samples, left, right;
    host.events.midi(0, 0x90, 60, 100);
    host.events.midi(17, 0x90, 64, 80);
    host.events.midi(40, 0x90, 67, 90);
    for (int block = 0; block < blocks; ++block) {
        if (block == blocks - 3) host.events.midi(5, 0xB0, 123, 0);
        host.run(512, left, right);
        samples.insert(samples.end(), left.begin(), left.end());
        samples.insert(samples.end(), right.begin(), right.end());
    }
    return samples;
}

// A bank of programs with names and values of their own, the current one 5.
std::string customBank() {
    Instrument bank;
    for (std::int32_t p = 0; p < kProgramCount; ++p) {
        const std::string name = "Program number " + std::to_string(p);
        bank.setProgramName(p, name.c_str());
        for (std::int32_t index = 0; index < kControlCount; ++index) {
            const ControlRange& range = kControlRanges[index];
            const float share = static_cast<float>((p * 7 + index * 3) % 11) / 10.0f;
            float value = range.minimum + share * (range.maximum - range.minimum);
            if (range.kind != ValueKind::Continuous) value = std::round(value);
            bank.setProgramValue(p, index, value);
        }
    }
    bank.settleProgram(5);
    return writeBankText(bank);
}

TEST(ClapFront, StateRoundTripsThroughStreamsOfAnyPieceSizeIntoAFreshInstance) {
    ClapHost first;
    ASSERT_TRUE(first.loaded() && first.activate());
    const std::string bank = customBank();
    ASSERT_TRUE(first.load(bank, 7));
    std::vector<float> left, right;
    first.run(64, left, right); // the audio thread takes the bank
    first.events.param(0, CutOff, 0.33);
    first.events.param(0, Q, 0.7);
    first.run(64, left, right);
    const std::string saved = first.save(1);
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(first.save(4093), saved);
    EXPECT_EQ(first.save(), saved);
    EXPECT_NE(saved.find("Program number 31"), std::string::npos) << "names are kept";
    EXPECT_NE(saved, bank) << "the changed values are in the state";

    for (std::size_t piece : {1, 13}) {
        ClapHost second;
        ASSERT_TRUE(second.loaded());
        ASSERT_TRUE(second.load(saved, piece)) << "pieces of " << piece;
        EXPECT_GT(second.log().rescans, 0) << "the host is told to read the values again";
        EXPECT_EQ(second.save(), saved);
        for (clap::Id id = 0; id < static_cast<clap::Id>(kControlCount); ++id)
            EXPECT_EQ(second.value(id), first.value(id)) << id;
        ASSERT_TRUE(second.activate());
        second.run(1, left, right);
        ClapHost again;
        ASSERT_TRUE(again.loaded() && again.activate() && again.load(saved, 3));
        again.run(1, left, right);
        EXPECT_TRUE(sameBits(chord(second), chord(again)))
            << "restored inactive or active, the instance plays the same";
    }
}

// The tuning's files ride in the state: a fresh instance plays them, and a state without them
// goes back to equal temperament. SysEx events reach the MIDI front at their frame: an MTS
// single-note change retunes, a dump with a bad checksum changes nothing.
TEST(ClapFront, TheStateCarriesTheTuningAndSysExEventsRetune) {
    ClapHost plain;
    ASSERT_TRUE(plain.loaded() && plain.activate());
    const std::string untuned = plain.save();
    const std::vector<float> plainChord = chord(plain);
    TuningSource source;
    ASSERT_EQ(source.setScale({"just.scl", "Just\n 3\n 5/4\n 3/2\n 2/1\n"}), "");
    const std::string tuned = withTuningLines(untuned, tuningStateLines(source));
    ASSERT_NE(tuned, "");

    ClapHost first, second, reset;
    ASSERT_TRUE(first.activate() && first.load(tuned, 7));
    EXPECT_EQ(first.save(), tuned);
    const std::vector<float> tunedChord = chord(first);
    EXPECT_FALSE(sameBits(tunedChord, plainChord));
    ASSERT_TRUE(second.load(tuned, 1) && second.activate());
    EXPECT_TRUE(sameBits(chord(second), tunedChord));
    ASSERT_TRUE(reset.activate() && reset.load(tuned) && reset.load(untuned));
    EXPECT_EQ(reset.save(), untuned);
    EXPECT_TRUE(sameBits(chord(reset), plainChord));

    MtsBulkDump dump = mtsBulkDump(equalTemperamentTable(), {}, "bad");
    dump[kMtsBulkDumpSize - 2] ^= 1;
    const std::vector<std::uint8_t> badDump(dump.begin(), dump.end());
    const std::vector<std::uint8_t> retune = {0xF0, 0x7F, 0x7F, 0x08, 0x02, 0x00,
                                              0x01, 64,   63,   0x20, 0x00, 0xF7};
    ClapHost ignored, retuned;
    ASSERT_TRUE(ignored.activate() && retuned.activate());
    ignored.events.sysex(0, badDump);
    EXPECT_TRUE(sameBits(chord(ignored), plainChord));
    retuned.events.sysex(30, retune);
    EXPECT_FALSE(sameBits(chord(retuned), plainChord));
}

// A stream that ends early gives what its whole lines say, or nothing without a header; one
// that fails changes nothing at all. Either way the instance keeps playing and saving.
TEST(ClapFront, ATruncatedOrFailingStateStreamLeavesTheInstanceSane) {
    ClapHost source;
    ASSERT_TRUE(source.loaded() && source.load(customBank()));
    const std::string saved = source.save();
    const std::string header = "ulvodraw-bank ";
    std::vector<std::size_t> cuts;
    for (std::size_t cut = 0; cut < 40; ++cut)
        cuts.push_back(cut);
    for (std::size_t cut = 40; cut < saved.size(); cut += 97)
        cuts.push_back(cut);
    for (std::size_t cut : cuts) {
        ClapHost truncated, failing;
        ASSERT_TRUE(truncated.loaded() && failing.loaded());
        const std::string before = truncated.save();
        const bool taken = truncated.load(saved.substr(0, cut), 3);
        if (cut < header.size() + 1) {
            EXPECT_FALSE(taken) << "cut at " << cut;
            EXPECT_EQ(truncated.save(), before) << "cut at " << cut;
        }
        EXPECT_FALSE(failing.load(saved, 5, cut)) << "failing at " << cut;
        EXPECT_EQ(failing.save(), before) << "failing at " << cut;
        for (ClapHost* host : {&truncated, &failing}) {
            const std::string after = host->save();
            EXPECT_EQ(after.compare(0, header.size(), header), 0) << "cut at " << cut;
            ASSERT_TRUE(host->activate());
            const std::vector<float> samples = chord(*host, 3);
            EXPECT_TRUE(std::all_of(samples.begin(), samples.end(),
                                    [](float s) { return std::isfinite(s); }))
                << "cut at " << cut;
        }
    }
}

// A bank loaded while the plug-in plays waits for the audio thread, which takes it before its
// next block and asks for the main thread, where the host is told to read the values again.
TEST(ClapFront, ABankLoadedWhilePlayingIsTakenByTheNextBlock) {
    ClapHost host;
    ASSERT_TRUE(host.loaded() && host.activate());
    const std::string bank = customBank();
    Instrument expected;
    restoreBankText(expected, bank);
    ASSERT_NE(expected.parameter(CutOff), host.value(CutOff));
    const float before = static_cast<float>(host.value(CutOff));
    ASSERT_TRUE(host.load(bank));
    EXPECT_EQ(host.value(CutOff), before) << "not under a render";
    std::vector<float> left, right;
    host.run(16, left, right);
    EXPECT_EQ(host.value(CutOff), expected.parameter(CutOff));
    EXPECT_GT(host.log().callbacksRequested, 0);
    const int rescans = host.log().rescans;
    host.plugin->onMainThread(host.plugin);
    EXPECT_EQ(host.log().rescans, rescans + 1);

    // Loaded while active but never played: deactivation takes it.
    ClapHost idle;
    ASSERT_TRUE(idle.loaded() && idle.activate() && idle.load(bank));
    idle.deactivate();
    EXPECT_EQ(idle.value(CutOff), expected.parameter(CutOff));
}

// CLAP notes reach their keys however the host names them, and sound as the same notes sent as
// MIDI.
TEST(ClapFront, NotesByIdOrKeyPlayAsTheSameMidiNotes) {
    ClapHost clapNotes, midiNotes;
    ASSERT_TRUE(clapNotes.loaded() && midiNotes.loaded());
    ASSERT_TRUE(clapNotes.activate() && midiNotes.activate());
    clapNotes.events.note(clap::kEventNoteOn, 10, 7, 60, 100 / 127.0, 2);
    clapNotes.events.note(clap::kEventNoteOn, 20, 8, 64, 0.0, 2); // the softest MIDI velocity
    clapNotes.events.note(clap::kEventNoteOn, 30, 9, 67, 1.0, 3);
    midiNotes.events.midi(10, 0x92, 60, 100);
    midiNotes.events.midi(20, 0x92, 64, 1);
    midiNotes.events.midi(30, 0x93, 67, 127);
    std::vector<float> a, b, left, right;
    clapNotes.run(512, a, left);
    midiNotes.run(512, b, right);
    ASSERT_TRUE(sameBits(a, b));
    // Off by id alone, by key alone, and by an id that no held note has (nothing).
    clapNotes.events.note(clap::kEventNoteOff, 100, 7, -1, 0.0, -1);
    clapNotes.events.note(clap::kEventNoteOff, 200, -1, 64, 0.0, 2);
    clapNotes.events.note(clap::kEventNoteOff, 250, 42, -1, 0.0, -1);
    midiNotes.events.midi(100, 0x82, 60, 0);
    midiNotes.events.midi(200, 0x82, 64, 0);
    for (int block = 0; block < 8; ++block) {
        clapNotes.run(512, a, left);
        midiNotes.run(512, b, right);
        ASSERT_TRUE(sameBits(a, b)) << "block " << block;
    }
    ASSERT_NE(a, std::vector<float>(a.size(), 0.0f)) << "key 67 still sounds";
}

TEST(ClapFront, AChokeOfEveryNoteSilencesFromItsFrame) {
    ClapHost choked, played;
    ASSERT_TRUE(choked.loaded() && played.loaded() && choked.activate() && played.activate());
    std::vector<float> a, b, left, right;
    for (ClapHost* host : {&choked, &played}) {
        host->events.note(clap::kEventNoteOn, 0, 1, 62, 0.8);
        host->events.midi(9, 0x90, 69, 100);
    }
    choked.run(512, a, left);
    played.run(512, b, right);
    choked.events.note(clap::kEventNoteChoke, 200, -1, -1, 0.0, -1);
    choked.run(512, a, left);
    played.run(512, b, right);
    EXPECT_TRUE(std::equal(a.begin(), a.begin() + 200, b.begin()));
    EXPECT_NE(std::vector<float>(b.begin() + 200, b.end()), std::vector<float>(312, 0.0f));
    EXPECT_EQ(std::vector<float>(a.begin() + 200, a.end()), std::vector<float>(312, 0.0f));
    EXPECT_EQ(std::vector<float>(left.begin() + 200, left.end()), std::vector<float>(312, 0.0f));
    // The keys are free again: a new note plays as in a fresh instance.
    ClapHost fresh;
    ASSERT_TRUE(fresh.loaded() && fresh.activate());
    choked.events.note(clap::kEventNoteOn, 0, 2, 62, 0.8);
    fresh.events.note(clap::kEventNoteOn, 0, 2, 62, 0.8);
    choked.run(512, a, left);
    fresh.run(512, b, right);
    EXPECT_TRUE(sameBits(a, b));
}

void addExpression(ClapEventList& events, std::uint32_t time, std::int32_t kind,
                   std::int32_t noteId, std::int16_t key, double value) {
    clap::EventNoteExpression event{};
    event.header = {sizeof event, time, clap::kCoreEventSpace, clap::kEventNoteExpression, 0};
    event.expressionId = kind;
    event.noteId = noteId;
    event.portIndex = 0;
    event.channel = -1;
    event.key = key;
    event.value = value;
    events.add(event);
}

// Per-note volume and tuning reach the note the host names by id or key, from the expression's
// frame; the other kinds change nothing.
TEST(ClapFront, NoteExpressionsReachTheNoteTheyName) {
    ClapHost two, alone;
    ASSERT_TRUE(two.loaded() && alone.loaded() && two.activate() && alone.activate());
    two.events.note(clap::kEventNoteOn, 0, 1, 60, 0.8);
    two.events.note(clap::kEventNoteOn, 0, 2, 64, 0.8);
    alone.events.note(clap::kEventNoteOn, 0, 1, 60, 0.8);
    addExpression(two.events, 0, clap::kNoteExpressionVolume, 2, -1, 0.0); // 64 silent
    std::vector<float> a, b, left, right;
    two.run(512, a, left);
    alone.run(512, b, right);
    ASSERT_TRUE(sameBits(a, b));
    ASSERT_NE(b, std::vector<float>(b.size(), 0.0f));

    // Key 60 twice as loud by key from frame 100: its samples double there, exactly.
    addExpression(two.events, 100, clap::kNoteExpressionVolume, -1, 60, 2.0);
    two.run(512, a, left);
    alone.run(512, b, right);
    EXPECT_TRUE(std::equal(a.begin(), a.begin() + 100, b.begin()));
    for (std::size_t i = 100; i < a.size(); ++i)
        ASSERT_EQ(a[i], 2.0f * b[i]) << i;
    EXPECT_EQ(left, a);

    // An octave up by note id: another waveform from frame 50, back at the level it had.
    addExpression(two.events, 50, clap::kNoteExpressionTuning, 1, -1, 12.0);
    addExpression(two.events, 50, clap::kNoteExpressionVolume, 1, -1, 1.0);
    two.run(512, a, left);
    alone.run(512, b, right);
    EXPECT_TRUE(std::equal(a.begin(), a.begin() + 50, b.begin(),
                           [](float x, float y) { return x == 2.0f * y; }));
    EXPECT_FALSE(std::equal(a.begin() + 50, a.end(), b.begin() + 50));
    // Pan and the other kinds have nothing to move.
    ClapHost fresh, panned;
    ASSERT_TRUE(fresh.loaded() && panned.loaded() && fresh.activate() && panned.activate());
    for (ClapHost* host : {&fresh, &panned})
        host->events.note(clap::kEventNoteOn, 0, 5, 62, 0.8);
    addExpression(panned.events, 10, clap::kNoteExpressionPan, 5, 62, 0.0);
    addExpression(panned.events, 20, clap::kNoteExpressionBrightness, -1, -1, 1.0);
    fresh.run(512, a, left);
    panned.run(512, b, right);
    EXPECT_TRUE(sameBits(a, b));
}

TEST(ClapFront, AChokeOfOneNoteSilencesItAndNoOther) {
    ClapHost two, alone;
    ASSERT_TRUE(two.loaded() && alone.loaded() && two.activate() && alone.activate());
    two.events.note(clap::kEventNoteOn, 0, 1, 60, 0.8);
    two.events.note(clap::kEventNoteOn, 0, 2, 64, 0.8);
    alone.events.note(clap::kEventNoteOn, 0, 1, 60, 0.8);
    std::vector<float> a, b, left, right;
    two.run(512, a, left);
    alone.run(512, b, right);
    ASSERT_FALSE(sameBits(a, b));
    // Released first: the choke ends its release too, by note id alone.
    two.events.note(clap::kEventNoteOff, 0, 2, 64, 0.0);
    two.events.note(clap::kEventNoteChoke, 300, 2, -1, 0.0, -1);
    two.run(512, a, left);
    alone.run(512, b, right);
    EXPECT_FALSE(std::equal(a.begin(), a.begin() + 300, b.begin()));
    EXPECT_TRUE(std::equal(a.begin() + 300, a.end(), b.begin() + 300));
    two.run(512, a, left);
    alone.run(512, b, right);
    EXPECT_TRUE(sameBits(a, b));
    // A held note choked by key.
    two.events.note(clap::kEventNoteChoke, 0, -1, 60, 0.0, -1);
    two.run(512, a, left);
    EXPECT_EQ(a, std::vector<float>(a.size(), 0.0f));
}

std::set<std::string> exportedSymbols(const char* path) {
    std::set<std::string> symbols;
    const std::string command = std::string(ULVO_NM) + " -D --defined-only " + path;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return symbols;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        text.erase(text.find_last_not_of("\r\n") + 1);
        symbols.insert(text.substr(text.find_last_of(' ') + 1));
    }
    pclose(pipe);
    return symbols;
}

TEST(ClapFront, TheModuleExportsOnlyItsEntryAndDescribesOneStereoInstrumentWithOneNoteInput) {
    EXPECT_EQ(exportedSymbols(ULVO_CLAP_MODULE), std::set<std::string>{"clap_entry"});
    const clap::PluginEntry* entry = clapEntry();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->clapVersion.major, 1u);
    EXPECT_EQ(entry->getFactory("clap.preset-discovery-factory"), nullptr);
    const auto* factory =
        static_cast<const clap::PluginFactory*>(entry->getFactory(clap::kPluginFactoryId));
    ASSERT_NE(factory, nullptr);
    const clap::PluginDescriptor* descriptor = factory->getPluginDescriptor(factory, 0);
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(factory->getPluginDescriptor(factory, 1), nullptr);
    EXPECT_STREQ(descriptor->id, "com.korvane.ulvodraw");
    EXPECT_STREQ(descriptor->name, "UlvoDraw");
    std::set<std::string> features;
    for (const char* const* f = descriptor->features; *f != nullptr; ++f)
        features.insert(*f);
    EXPECT_EQ(features, (std::set<std::string>{"instrument", "synthesizer", "stereo"}));

    ClapHost host;
    ASSERT_TRUE(host.loaded());
    EXPECT_EQ(factory->createPlugin(factory, nullptr, descriptor->id), nullptr);
    ASSERT_NE(host.notePorts, nullptr);
    EXPECT_EQ(host.notePorts->count(host.plugin, true), 1u);
    EXPECT_EQ(host.notePorts->count(host.plugin, false), 0u);
    clap::NotePortInfo notes{};
    ASSERT_TRUE(host.notePorts->get(host.plugin, 0, true, &notes));
    EXPECT_EQ(notes.supportedDialects, clap::kNoteDialectClap | clap::kNoteDialectMidi);
    EXPECT_EQ(notes.preferredDialect, clap::kNoteDialectClap);
    ASSERT_NE(host.audioPorts, nullptr);
    EXPECT_EQ(host.audioPorts->count(host.plugin, true), 0u);
    EXPECT_EQ(host.audioPorts->count(host.plugin, false), 1u);
    clap::AudioPortInfo audio{};
    ASSERT_TRUE(host.audioPorts->get(host.plugin, 0, false, &audio));
    EXPECT_EQ(audio.channelCount, 2u);
    EXPECT_STREQ(audio.portType, "stereo");
    EXPECT_NE(audio.flags & clap::kAudioPortIsMain, 0u);
    EXPECT_EQ(host.plugin->getExtension(host.plugin, "clap.unknown"), nullptr);
    EXPECT_FALSE(host.activate(0.0));
    EXPECT_FALSE(host.activate(NAN));
}

} // namespace
