// The LV2 front against the VST 2 front, its saved state, and rough input from a host.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/units/units.h>

#include "host/vst2_event_list.h"
#include "host/vst2_recording_host.h"
#include "plugin/lv2/ulvodraw_uris.h"
#include "plugin/vst2/avst_xsynth.h"
#include "synth/bank_text.h"
#include "synth/control_names.h"
#include "synth/preset_text.h"
#include "tests/lv2/lv2_host.h"
#include "tools/render/midi_timeline.h"

namespace {

// The demo's patch, by control index, the playing controls at their classic values.
constexpr std::array<float, kControlCount> kDemoPatch = [] {
    std::array<float, kControlCount> patch = kClassicValues;
    const float classic[kParameterCount] = {0.12f, 0.45f, 0.6f,  0.4f, 0.5f, 0.4f, 0.0f, 0.6f,
                                            0.8f,  0.5f,  0.25f, 0.0f, 0.3f, 0.6f, 0.0f, 0.1f};
    for (std::int32_t index = 0; index < kParameterCount; ++index)
        patch[index] = classic[index];
    return patch;
}();

// The VST 2 front driven as a host drives it, block by block.
class Vst2Player {
  public:
    Vst2Player() {
        effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
        effect->dispatcher(effect, effSetProgram, 0, 0, nullptr, 0.0f);
    }
    void set(std::int32_t index, float value) { effect->setParameter(effect, index, value); }
    // Every drawbar set once more after the others: the VST 2 build's classic weights are then
    // the ones the six positions give, as the LV2 build's always are.
    void settleDrawbars(const std::array<float, kControlCount>& values) {
        for (std::int32_t index = Drawbar2; index <= Drawbar3; ++index)
            set(index, values[index]);
    }
    void run(std::int32_t frames, const std::vector<Lv2Midi>& midi, std::vector<float>& left,
             std::vector<float>& right) {
        std::vector<BlockMessage> messages;
        for (const Lv2Midi& m : midi) {
            BlockMessage message{m.frame};
            for (std::size_t b = 0; b < 3 && b < m.bytes.size(); ++b)
                message.bytes[b] = m.bytes[b];
            messages.push_back(message);
        }
        if (VstEvents* list = events.fill(messages))
            effect->dispatcher(effect, effProcessEvents, 0, 0, list, 0.0f);
        left.assign(frames, 0.0f);
        right.assign(frames, 0.0f);
        float* outputs[2] = {left.data(), right.data()};
        effect->processReplacing(effect, nullptr, outputs, frames);
    }

  private:
    Vst2RecordingHost host;
    AVstXSynth synth{Vst2RecordingHost::callback, nullptr};
    AEffect* effect = synth.getAeffect();
    VstEventList events;
};

std::vector<Lv2Midi> eventsIn(const MidiTimeline& timeline, std::int64_t start,
                              std::int64_t frames) {
    std::vector<Lv2Midi> found;
    for (const TimedMessage& m : timeline.messages)
        if (m.frame >= start && m.frame < start + frames) {
            const std::size_t size =
                (m.bytes[0] & 0xF0) == 0xC0 || (m.bytes[0] & 0xF0) == 0xD0 ? 2 : 3;
            found.push_back({m.frame - start, {m.bytes, m.bytes + size}});
        }
    return found;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// The demo's messages by frame from the start, with the wheel moving through the piece: pitch
// bends whose fine byte is 0 (from full down to the top value, a full step up), the mod wheel
// and channel pressure, which the playing controls' classic values leave without effect.
std::vector<Lv2Midi> demoWithBends(const MidiTimeline& timeline) {
    std::vector<Lv2Midi> piece = eventsIn(timeline, 0, timeline.lastEventFrame + 1);
    const std::uint8_t coarse[] = {127, 64, 0, 96, 20, 64, 127};
    for (std::int64_t k = 0; k * 16301 <= timeline.lastEventFrame; ++k) {
        const std::int64_t frame = k * 16301 + 77;
        const auto amount = static_cast<std::uint8_t>(k * 37 % 128);
        piece.push_back({frame, {0xE0, 0, coarse[k % std::size(coarse)]}});
        piece.push_back({frame + 5000, {0xB0, 1, amount}});
        piece.push_back({frame + 9000, {0xD0, static_cast<std::uint8_t>(127 - amount)}});
    }
    std::stable_sort(piece.begin(), piece.end(),
                     [](const Lv2Midi& a, const Lv2Midi& b) { return a.frame < b.frame; });
    return piece;
}

// With its playing controls at their classic values, the LV2 build plays as the VST 2 build,
// bends and all.
TEST(Lv2Front, DemoWithControlsChangingBetweenBlocksGivesTheVst2SamplesAtEveryBlockSize) {
    const MidiTimeline timeline = buildTimeline(loadMidiFile(ULVO_DEMO_MIDI), 44100);
    const std::vector<Lv2Midi> piece = demoWithBends(timeline);
    // The whole piece, or its first three seconds where the run is short (under valgrind).
    const std::int64_t length =
        std::getenv("ULVO_SHORT_RUN") != nullptr ? 3 * 44100 : timeline.lastEventFrame + 44100;
    for (std::int32_t i = kParameterCount; i < kControlCount; ++i)
        ASSERT_EQ(kDemoPatch[i], kClassicValues[i]) << kParameterSymbols[i];
    for (std::int64_t block : {1, 64, 4096}) {
        Lv2Host lv2;
        ASSERT_TRUE(lv2.loaded()) << "the bundle at " << ULVO_LV2_BUNDLE << " did not load";
        Vst2Player vst2;
        std::array<float, kControlCount> values = kDemoPatch;
        std::int64_t nextChange = 0;
        float peak = 0.0f;
        std::vector<float> lv2Left, lv2Right, vstLeft, vstRight;
        std::size_t next = 0; // the first message of `piece` not played yet
        for (std::int64_t start = 0; start < length; start += block) {
            if (start >= nextChange) {
                // Every half second a few controls move, as a host's automation does.
                const std::int64_t k = nextChange / 22050;
                values[CutOff] = 0.2f + 0.15f * static_cast<float>(k % 5);
                values[Drawbar8] = static_cast<float>(k % 3) / 2.0f;
                values[Wave] = static_cast<float>(k % 4) / 3.0f;
                nextChange += 22050;
                // The same history for both: every value at first, then those that changed, in
                // the order a program applies them; the VST 2 build's drawbars settled after.
                for (std::int32_t index : kProgramApplyOrder)
                    if (start == 0 || values[index] != lv2.controls[index])
                        vst2.set(index, values[index]);
                vst2.settleDrawbars(values);
                lv2.controls = values;
            }
            const auto frames = static_cast<std::int32_t>(std::min(block, length - start));
            std::vector<Lv2Midi> midi;
            for (; next < piece.size() && piece[next].frame < start + frames; ++next)
                midi.push_back({piece[next].frame - start, piece[next].bytes});
            lv2.run(static_cast<std::uint32_t>(frames), midi, lv2Left, lv2Right);
            vst2.run(frames, midi, vstLeft, vstRight);
            ASSERT_TRUE(sameBits(lv2Left, vstLeft) && sameBits(lv2Right, vstRight))
                << "block size " << block << ", block at frame " << start;
            for (float s : lv2Left)
                peak = std::max(peak, std::fabs(s));
        }
        EXPECT_GT(peak, 0.05f) << "block size " << block;
    }
}

// A control port left unconnected changes nothing, from the first run on; connected, it applies
// its value; unconnected again, the value last applied stays. `all` has every port connected.
TEST(Lv2Front, UnconnectedControlPortsLeaveTheirParametersAsTheyAre) {
    Lv2Host all, some;
    ASSERT_TRUE(all.loaded() && some.loaded());
    const std::int32_t loose[] = {Sustain, Drawbar4, CutOff};
    for (std::int32_t index : loose) {
        some.unconnected[index] = true;
        some.controls[index] = 0.93f; // read by no one
    }
    std::vector<float> allLeft, allRight, someLeft, someRight;
    const auto play = [&](const std::vector<Lv2Midi>& midi, const char* when) {
        for (int block = 0; block < 4; ++block) {
            all.run(256, block == 0 ? midi : std::vector<Lv2Midi>{}, allLeft, allRight);
            some.run(256, block == 0 ? midi : std::vector<Lv2Midi>{}, someLeft, someRight);
            ASSERT_TRUE(sameBits(allLeft, someLeft) && sameBits(allRight, someRight))
                << when << ", block " << block;
        }
    };
    play({{0, {0x90, 60, 100}}, {9, {0x90, 67, 90}}}, "unconnected from the start");
    for (std::int32_t index : loose) {
        some.unconnected[index] = false;
        all.controls[index] = some.controls[index] = 0.35f;
    }
    play({{3, {0x90, 72, 80}}}, "connected");
    for (std::int32_t index : loose) {
        some.unconnected[index] = true;
        some.controls[index] = 1.0f;
    }
    play({{0, {0x80, 60, 0}}}, "unconnected again");
    EXPECT_NE(allLeft, std::vector<float>(allLeft.size(), 0.0f));
}

// A host may write anything to a port: the plug-in plays it as the nearest value in the port's
// range, and a port that holds no number leaves the value applied before it.
TEST(Lv2Front, ControlValuesOutsideTheRangeSoundAsItsEndsAndNaNKeepsTheValueBefore) {
    Lv2Host hostile, tame;
    ASSERT_TRUE(hostile.loaded() && tame.loaded());
    const float inf = INFINITY;
    // Each playing control within its own range; whole-number and choice ones to the nearest.
    const std::pair<std::int32_t, std::pair<float, float>> outside[] = {
        {Q, {2.0f, 1.0f}},           {Drawbar2, {96000.0f, 1.0f}},   {Env, {-3.0f, 0.0f}},
        {Sustain, {inf, 1.0f}},      {CutOff, {-inf, 0.0f}},         {Type, {1.5f, 1.0f}},
        {Volume, {40.0f, 12.0f}},    {VelocitySense, {-1.0f, 0.0f}}, {BendRange, {7.5f, 8.0f}},
        {VibratoRate, {0.0f, 0.5f}}, {VibratoDepth, {inf, 100.0f}},  {EnvCurve, {0.4f, 0.0f}},
        {EnvScale, {-inf, 1.0f}}};
    for (const auto& [index, values] : outside) {
        hostile.controls[index] = values.first;
        tame.controls[index] = values.second;
    }
    std::vector<float> hostileLeft, hostileRight, tameLeft, tameRight;
    const auto play = [&](const std::vector<Lv2Midi>& midi, const char* when) {
        for (int block = 0; block < 6; ++block) {
            hostile.run(512, block == 0 ? midi : std::vector<Lv2Midi>{}, hostileLeft, hostileRight);
            tame.run(512, block == 0 ? midi : std::vector<Lv2Midi>{}, tameLeft, tameRight);
            ASSERT_TRUE(sameBits(hostileLeft, tameLeft) && sameBits(hostileRight, tameRight))
                << when << ", block " << block;
        }
    };
    play({{0, {0x90, 90, 127}}, {5, {0x90, 48, 100}}}, "outside the range");
    for (const auto& [index, values] : outside) {
        hostile.controls[index] = NAN;
        tame.controls[index] = values.second; // what was applied before
    }
    play({{0, {0x90, 67, 90}}}, "not a number");
    hostile.controls[Q] = tame.controls[Q] = 0.3f;
    play({{0, {0x90, 72, 80}}}, "back in range");
    EXPECT_EQ(hostile.saveBank(), tame.saveBank());
    EXPECT_NE(tameLeft, std::vector<float>(tameLeft.size(), 0.0f));
}

// What a host reads of each control port: symbol, name, range, default, unit and kind, from the
// instrument's own tables; env_curve's two choices by name. The names are words a generic host's
// list reads, each its own, not the VST 2 build's letters and footages.
TEST(Lv2Front, EveryControlPortDeclaresItsOwnRangeDefaultUnitAndKind) {
    Lv2Host host;
    ASSERT_TRUE(host.loaded());
    LilvWorld* world = host.lilvWorld();
    const LilvPlugin* plugin = host.lilvPlugin();
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin), kPortCount);
    std::vector<float> minimum(kPortCount), maximum(kPortCount), defaults(kPortCount);
    lilv_plugin_get_port_ranges_float(plugin, minimum.data(), maximum.data(), defaults.data());
    const auto uri = [&](const char* text) { return lilv_new_uri(world, text); };
    LilvNode* integer = uri(LV2_CORE__integer);
    LilvNode* enumeration = uri(LV2_CORE__enumeration);
    LilvNode* unit = uri(LV2_UNITS__unit);
    std::set<std::string> names;
    const std::pair<std::int32_t, const char*> units[] = {{Volume, LV2_UNITS__db},
                                                          {BendRange, LV2_UNITS__semitone12TET},
                                                          {VibratoRate, LV2_UNITS__hz},
                                                          {VibratoDepth, LV2_UNITS__cent},
                                                          {EnvScale, LV2_UNITS__coef}};
    for (std::int32_t control = 0; control < kControlCount; ++control) {
        const std::uint32_t index = kFirstParameterPort + control;
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
        const ControlRange& range = kControlRanges[control];
        const std::string symbol = kParameterSymbols[control];
        EXPECT_EQ(lilv_node_as_string(lilv_port_get_symbol(plugin, port)), symbol);
        LilvNode* name = lilv_port_get_name(plugin, port);
        EXPECT_STREQ(lilv_node_as_string(name), kControlNames[control]);
        const std::string words = lilv_node_as_string(name);
        EXPECT_GE(words.size(), 4u) << symbol;
        EXPECT_TRUE(names.insert(words).second) << words;
        lilv_node_free(name);
        EXPECT_EQ(minimum[index], range.minimum) << symbol;
        EXPECT_EQ(maximum[index], range.maximum) << symbol;
        EXPECT_EQ(defaults[index], kParameterDefaults[control]) << symbol;
        EXPECT_EQ(lilv_port_has_property(plugin, port, integer),
                  range.kind != ValueKind::Continuous)
            << symbol;
        EXPECT_EQ(lilv_port_has_property(plugin, port, enumeration),
                  control == Type || control == Wave || control == EnvCurve ||
                      control == Oscillators)
            << symbol;
        const char* expectedUnit = nullptr;
        for (const auto& [which, unitUri] : units)
            if (which == control) expectedUnit = unitUri;
        LilvNodes* declared = lilv_port_get_value(plugin, port, unit);
        const LilvNode* first = declared != nullptr ? lilv_nodes_get_first(declared) : nullptr;
        EXPECT_EQ(first != nullptr ? std::string(lilv_node_as_uri(first)) : std::string(),
                  expectedUnit != nullptr ? expectedUnit : "")
            << symbol;
        lilv_nodes_free(declared);
    }
    LilvScalePoints* points = lilv_port_get_scale_points(
        plugin,
        lilv_plugin_get_port_by_index(plugin, kFirstParameterPort + std::uint32_t{EnvCurve}));
    std::vector<std::pair<float, std::string>> choices;
    LILV_FOREACH(scale_points, i, points) {
        const LilvScalePoint* point = lilv_scale_points_get(points, i);
        choices.emplace_back(lilv_node_as_float(lilv_scale_point_get_value(point)),
                             lilv_node_as_string(lilv_scale_point_get_label(point)));
    }
    lilv_scale_points_free(points);
    std::sort(choices.begin(), choices.end());
    EXPECT_EQ(choices, (std::vector<std::pair<float, std::string>>{{0.0f, kEnvCurveNames[0]},
                                                                   {1.0f, kEnvCurveNames[1]}}));
    lilv_node_free(integer);
    lilv_node_free(enumeration);
    lilv_node_free(unit);
}

// One block as a host runs it: the state restored first (when `restore` holds a bank), then
// the control ports set, then `frames` frames with their MIDI.
struct HostBlock {
    std::uint32_t frames;
    std::vector<std::pair<std::int32_t, float>> set;
    std::vector<Lv2Midi> midi;
    std::string restore;
};

// Two ways of cutting the same moments into blocks must give the same bank and the same samples,
// whatever the front does first within a block.
TEST(Lv2Front, WhatHappensWithinABlockSoundsAsWhenItIsSpreadOverBlocks) {
    ASSERT_TRUE(Lv2Host().loaded());
    // Program 4, current, holds the demo's patch; the ports hold it too.
    Instrument patch;
    patch.selectProgram(4);
    for (std::int32_t index : kProgramApplyOrder)
        patch.setParameter(index, kDemoPatch[index]);
    const std::string bank = writeBankText(patch);
    struct Case {
        const char* what;
        std::vector<HostBlock> together, apart;
    };
    const Case cases[] = {
        {"a port and a program change in one block, or the program change in the next",
         {{256, {}, {}, {}}, {256, {{Drawbar16, 0.9f}}, {{0, {0xC0, 5}}}, {}}},
         {{256, {}, {}, {}}, {128, {{Drawbar16, 0.9f}}, {}, {}}, {128, {}, {{0, {0xC0, 5}}}, {}}}},
        {"note-ons at and past the block's end, or on its last frame",
         {{256, {}, {{256, {0x90, 72, 100}}, {std::int64_t{1} << 40, {0x90, 76, 100}}}, {}}},
         {{256, {}, {{255, {0x90, 72, 100}}, {255, {0x90, 76, 100}}}, {}}}},
        {"a drawbar moved on the first run after a restore, or one run later",
         {{256, {{Drawbar2, 0.9f}}, {}, bank}},
         {{128, {}, {}, bank}, {128, {{Drawbar2, 0.9f}}, {}, {}}}},
    };
    // The same chord after each, long enough to hear every difference in the sound.
    std::vector<HostBlock> chord = {{256, {}, {{10, {0x90, 60, 100}}, {20, {0x90, 67, 90}}}, {}}};
    chord.resize(12, {256, {}, {}, {}});
    chord[8].midi = {{0, {0x80, 60, 0}}, {0, {0x80, 67, 0}}};
    const auto play = [&](std::vector<HostBlock> blocks, std::string& saved) {
        Lv2Host host;
        host.controls = kDemoPatch;
        blocks.insert(blocks.end(), chord.begin(), chord.end());
        std::vector<float> samples, left, right;
        for (const HostBlock& block : blocks) {
            if (!block.restore.empty()) host.restoreBank(block.restore);
            for (const auto& [index, value] : block.set)
                host.controls[index] = value;
            host.run(block.frames, block.midi, left, right);
            samples.insert(samples.end(), left.begin(), left.end());
            samples.insert(samples.end(), right.begin(), right.end());
        }
        saved = host.saveBank();
        return samples;
    };
    for (const Case& c : cases) {
        std::string togetherBank, apartBank;
        const std::vector<float> together = play(c.together, togetherBank);
        const std::vector<float> apart = play(c.apart, apartBank);
        EXPECT_TRUE(sameBits(together, apart)) << c.what;
        EXPECT_TRUE(togetherBank == apartBank) << c.what;
        EXPECT_GT(*std::max_element(together.begin(), together.end()), 0.05f) << c.what;
    }
}

// The name on a bank's line for `program`: what follows its number and every control's value.
std::string nameOf(const std::string& bank, int program) {
    std::size_t at = bank.find("program " + std::to_string(program) + " ");
    if (at == std::string::npos) return {};
    for (int field = 0; field < 2 + kControlCount && at != std::string::npos; ++field)
        at = bank.find(' ', at) + 1;
    return bank.substr(at, bank.find('\n', at) - at);
}

TEST(Lv2Front, SavedStateBringsBackProgramsNamesAndTheSameSoundInAFreshInstance) {
    Lv2Host played;
    ASSERT_TRUE(played.loaded());
    std::vector<float> left, right, otherLeft, otherRight;
    // Program 5 renamed with a name far too long for it, all its values at 0.3.
    std::string bank = played.saveBank();
    const std::string longName(49, 'n');
    std::string line = "program 5";
    for (int i = 0; i < kControlCount; ++i)
        line += " 0.3";
    bank += line + " " + longName + "\n";
    played.restoreBank(bank);
    // Program 9 edited through the ports, the playing controls too, then made current twice so
    // its sound is settled.
    played.run(16, {{0, {0xC0, 9}}}, left, right);
    const std::pair<std::int32_t, float> edits[] = {
        {Drawbar16, 1.0f},     {CutOff, 0.7f},          {Volume, -7.5f},
        {VelocitySense, 0.4f}, {BendRange, 12.0f},      {VibratoRate, 3.25f},
        {VibratoDepth, 55.0f}, {EnvCurve, LinearCurve}, {EnvScale, 4.5f}};
    for (const auto& [index, value] : edits)
        played.controls[index] = value;
    played.run(16, {}, left, right);
    played.run(16, {{0, {0xC0, 9}}, {1, {0xC0, 9}}}, left, right);
    const std::string saved = played.saveBank();
    EXPECT_NE(saved.find("current 9\n"), std::string::npos);
    EXPECT_EQ(nameOf(saved, 5), longName.substr(0, 23));
    EXPECT_NE(saved.find("program 5 0.3 0.3 0.3"), std::string::npos) << saved;
    auto kept = std::make_unique<Instrument>();
    restoreBankText(*kept, saved);
    for (const auto& [index, value] : edits)
        EXPECT_EQ(kept->program(9).value(index), value) << kParameterSymbols[index];
    EXPECT_EQ(kept->program(5).value(BendRange), 1.0f); // 0.3, held within 1 to 24

    Lv2Host fresh;
    fresh.controls = played.controls; // the host restores the ports too
    fresh.restoreBank(saved);
    EXPECT_EQ(fresh.saveBank(), saved);
    for (int block = 0; block < 40; ++block) {
        std::vector<Lv2Midi> midi;
        if (block % 8 == 0) midi.push_back({3, {0x90, static_cast<std::uint8_t>(48 + block), 100}});
        if (block % 8 == 5)
            midi.push_back({7, {0x80, static_cast<std::uint8_t>(48 + block - 5), 0}});
        played.run(256, midi, left, right);
        fresh.run(256, midi, otherLeft, otherRight);
        ASSERT_TRUE(sameBits(left, otherLeft)) << "block " << block;
    }
}

// A session saved before the playing controls existed has no values for their ports: the host
// leaves them at their defaults, and the programs play them at their classic values until a
// port is moved, from the default or back to it.
TEST(Lv2Front, AStateFromBeforeThePlayingControlsPlaysThemClassicUntilAPortMoves) {
    std::string oldState = "ulvodraw-bank 1\ncurrent 4\n";
    for (int p = 0; p < kProgramCount; ++p) {
        oldState += "program " + std::to_string(p);
        for (int i = 0; i < kParameterCount; ++i) {
            char value[32];
            std::snprintf(value, sizeof value, " %.9g", kDemoPatch[i]);
            oldState += value;
        }
        oldState += " Old\n";
    }
    Lv2Host restored;
    ASSERT_TRUE(restored.loaded());
    std::copy_n(kDemoPatch.begin(), kParameterCount, restored.controls.begin());
    restored.restoreBank(oldState);
    const auto currentValues = [](Lv2Host& host) {
        auto instrument = std::make_unique<Instrument>();
        restoreBankText(*instrument, host.saveBank());
        std::array<float, kControlCount> values{};
        for (std::int32_t i = 0; i < kControlCount; ++i)
            values[i] = instrument->program(instrument->currentProgram()).value(i);
        return values;
    };
    std::vector<float> left, right;
    for (int block = 0; block < 3; ++block)
        restored.run(64, {{0, {0x90, 60, 100}}}, left, right);
    EXPECT_EQ(currentValues(restored), kDemoPatch);
    restored.controls[BendRange] = 7.0f;
    restored.run(64, {}, left, right);
    EXPECT_EQ(currentValues(restored)[BendRange], 7.0f);
    restored.controls[BendRange] = kParameterDefaults[BendRange];
    restored.run(64, {}, left, right);
    EXPECT_EQ(currentValues(restored)[BendRange], kParameterDefaults[BendRange]);
    EXPECT_EQ(currentValues(restored)[EnvCurve], kClassicValues[EnvCurve]); // not moved

    // The state it saves keeps the ports not moved yet: a session saved and opened again, twice,
    // plays the same programs with the same port values.
    const auto reopened = [&](const Lv2Host::State& state) {
        auto host = std::make_unique<Lv2Host>();
        host->controls = restored.controls;
        host->restoreState(state);
        host->run(64, {}, left, right);
        return host;
    };
    EXPECT_EQ(restored.saveState().size(), 2u);
    const auto once = reopened(restored.saveState());
    const auto twice = reopened(once->saveState());
    for (Lv2Host* host : {once.get(), twice.get()}) {
        EXPECT_EQ(host->saveBank(), restored.saveBank());
        EXPECT_EQ(currentValues(*host), currentValues(restored));
    }
    // Once every playing control has moved, the state is the bank alone.
    for (std::int32_t i = kParameterCount; i < kControlCount; ++i)
        restored.controls[i] = kParameterDefaults[i] == kControlRanges[i].maximum
                                   ? kControlRanges[i].minimum
                                   : kControlRanges[i].maximum;
    restored.run(64, {}, left, right);
    EXPECT_EQ(restored.saveState().size(), 1u);
}

// A host loading a preset writes its values to the ports, in its own order and over several runs:
// the instance that played another preset before then sounds as a fresh one given those values.
TEST(Lv2Front, APresetWrittenAfterAnotherPlaysAsInAFreshInstanceWhateverTheOrder) {
    std::ifstream file(ULVO_FACTORY_PRESETS);
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    const PresetParse parsed = parsePresets(text);
    ASSERT_GE(parsed.presets.size(), 16u) << parsed.error;
    // Two overlapping notes and their release; both channels, block after block.
    const auto play = [](Lv2Host& host, std::uint8_t note) {
        std::vector<float> heard, left, right;
        for (int block = 0; block < 24; ++block) {
            std::vector<Lv2Midi> midi;
            if (block == 0) midi.push_back({5, {0x90, note, 100}});
            if (block == 6) midi.push_back({0, {0x90, static_cast<std::uint8_t>(note + 7), 90}});
            if (block == 12) {
                midi.push_back({9, {0x80, note, 0}});
                midi.push_back({9, {0x80, static_cast<std::uint8_t>(note + 7), 0}});
            }
            host.run(512, midi, left, right);
            heard.insert(heard.end(), left.begin(), left.end());
            heard.insert(heard.end(), right.begin(), right.end());
        }
        return heard;
    };
    const std::size_t count = parsed.presets.size();
    for (std::size_t pair = 0; pair < 4; ++pair) {
        const Preset& before = parsed.presets[pair * 5 % count];
        const Preset& after = parsed.presets[(pair * 5 + 3) % count];
        Lv2Host fresh;
        ASSERT_TRUE(fresh.loaded());
        fresh.controls = after.values;
        const std::vector<float> expected = play(fresh, 60);
        float peak = 0.0f;
        for (float s : expected)
            peak = std::max(peak, std::fabs(s));
        EXPECT_GT(peak, 0.01f) << after.name;
        for (bool backwards : {false, true}) {
            Lv2Host played;
            played.controls = before.values;
            // The playing controls far from where the preset after leaves them.
            played.controls[Volume] = -12.0f;
            played.controls[BendRange] = 12.0f;
            played.controls[VibratoDepth] = 80.0f;
            played.controls[EnvCurve] = LinearCurve;
            played.controls[EnvScale] = 6.0f;
            play(played, 48);
            // The new values port by port, a run between each, then silence for what is left.
            std::vector<float> left, right;
            for (std::int32_t i = 0; i < kControlCount; ++i) {
                const std::int32_t index = backwards ? kControlCount - 1 - i : i;
                played.controls[index] = after.values[index];
                played.run(64, {}, left, right);
            }
            played.run(64, {{0, {0xB0, 120, 0}}}, left, right);
            EXPECT_TRUE(sameBits(play(played, 60), expected))
                << before.name << " then " << after.name << (backwards ? ", backwards" : "");
        }
    }
}

TEST(Lv2Front, DamagedOrForeignStateRestoresWhatItCanAndKeepsTheRest) {
    // A program line of version 1 (the classic values), of version 2 (every control's but the
    // oscillators) and of version 3 (every control's).
    std::string valid = "program 2", validTwo = "program 2";
    for (int i = 0; i < Oscillators; ++i)
        (i < kParameterCount ? valid : validTwo) += " 0.25";
    validTwo = valid + validTwo.substr(9) + " Kept\n";
    const std::string validThree = validTwo.substr(0, validTwo.size() - 6) + " 1 Kept\n";
    valid += " Kept\n";
    struct Case {
        std::string text;
        bool takesProgram2;
    };
    const Case cases[] = {
        {"", false},
        {"not a bank at all\n" + valid, false},
        {"ulvodraw-bank x\n" + valid, false},
        {"ulvodraw-bank 1\n" + valid, true},
        {"ulvodraw-bank 7\nnew-key 1 2 3\n" + validThree + "current 2\n", true},
        {"ulvodraw-bank 2\n" + validTwo, true},
        {"ulvodraw-bank 2\n" + valid, false}, // short of the playing controls' values
        {"ulvodraw-bank 3\n" + validThree, true},
        {"ulvodraw-bank 3\n" + validTwo, false}, // short of the oscillators' value
        {"ulvodraw-bank 1\nprogram 2 0.1 0.2\n", false},
        {"ulvodraw-bank 1\nprogram 40 " + valid.substr(10), false},
        {"ulvodraw-bank 1\nprogram 2 nan" + valid.substr(14), false},
        {"ulvodraw-bank 1\ncurrent 99\nprogram -1 0 0\n" + std::string(3, '\0') + valid, false},
    };
    for (const Case& c : cases) {
        Lv2Host host;
        ASSERT_TRUE(host.loaded());
        host.restoreBank(c.text);
        const std::string bank = host.saveBank();
        EXPECT_EQ(nameOf(bank, 2), c.takesProgram2 ? "Kept" : "init3") << c.text;
        EXPECT_EQ(nameOf(bank, 0), "init1") << c.text;
    }
    Lv2Host wrongType;
    wrongType.restoreBank("ulvodraw-bank 1\n" + valid, wrongType.map("urn:not:a:string"));
    EXPECT_EQ(nameOf(wrongType.saveBank(), 2), "init3");
}

TEST(Lv2Front, AnyControlValuesAndAnyAtomSequenceGiveFiniteSamples) {
    Lv2Host host;
    ASSERT_TRUE(host.loaded());
    std::mt19937 random(11);
    const float extremes[] = {NAN, INFINITY, -INFINITY, 1e30f, -1e30f, 0.0f, 1.0f, 0.5f};
    std::vector<float> left, right;
    for (int block = 0; block < 400; ++block) {
        for (float& c : host.controls)
            c = random() % 3 == 0 ? extremes[random() % 8]
                                  : static_cast<float>(random() % 1000) / 999.0f;
        // A sequence whose event sizes, types and frames are whatever the bytes say.
        const std::uint32_t words = 2 + random() % 24;
        std::vector<std::uint64_t> raw(words + 8);
        for (auto& w : raw)
            w = (static_cast<std::uint64_t>(random()) << 32) | random();
        auto* atom = reinterpret_cast<LV2_Atom*>(raw.data());
        atom->size = (words - 1) * 8;
        atom->type = host.map("http://lv2plug.in/ns/ext/atom#Sequence");
        auto* bytes = reinterpret_cast<std::uint8_t*>(raw.data());
        for (std::uint32_t at = 16; at + 16 <= words * 8; at += 8 * (1 + random() % 3))
            if (random() % 2 == 0) {
                const std::uint32_t type = host.map("http://lv2plug.in/ns/ext/midi#MidiEvent");
                std::memcpy(bytes + at + 12, &type, sizeof type);
                const std::uint32_t size = random() % 5;
                std::memcpy(bytes + at + 8, &size, sizeof size);
            }
        host.runRaw(random() % 300, raw, left, right);
        for (float s : left)
            ASSERT_TRUE(std::isfinite(s)) << "block " << block;
    }
}

// A minute of music while a host throws hostile values at every port, in blocks up to the size
// hosts use, at the rates they run at: notes come and go, and every sample stays a number.
TEST(Lv2Front, AMinuteOfHostileControlValuesWhileNotesPlayStaysFinite) {
    const float hostile[] = {NAN,  INFINITY, -INFINITY, 3.4e38f, -3.4e38f, 1e-40f,
                             2.0f, 5.0f,     -1.0f,     96000.f, 1.0f,     0.0f};
    for (double rate : {44100.0, 96000.0}) {
        Lv2Host host(rate);
        ASSERT_TRUE(host.loaded());
        std::mt19937 random(static_cast<unsigned>(rate));
        std::vector<float> left, right;
        std::int64_t frames = 0;
        for (int block = 0; frames < 60 * static_cast<std::int64_t>(rate); ++block) {
            // Values stay for a while, as a host's automation holds them, so that a voice
            // sustains through long blocks under each combination.
            for (float& c : host.controls)
                if (random() % 24 == 0)
                    c = random() % 2 == 0 ? hostile[random() % std::size(hostile)]
                                          : static_cast<float>(random() % 1001) / 1000.0f;
            std::vector<Lv2Midi> midi;
            const std::uint32_t size = 64u << (random() % 7); // 64 to 4096 frames
            if (block % 4 == 0) {
                const auto note = static_cast<std::uint8_t>(36 + random() % 72);
                const auto at = static_cast<std::int64_t>(random() % size);
                midi.push_back({at, {0xB0, 123, 0}}); // one or two notes at a time
                midi.push_back({at, {0x90, note, static_cast<std::uint8_t>(1 + random() % 127)}});
            }
            host.run(size, midi, left, right);
            for (std::uint32_t i = 0; i < size; ++i)
                ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i]))
                    << rate << " Hz, block " << block << ", frame " << i;
            frames += size;
        }
    }
}

} // namespace
