// The instrument behind the VST 2 interface: its record, identity, texts, program opcodes,
// event lists and process entries. What the instrument does with them is tested on the
// instrument itself (tests/synth).
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "synth/engine_probe.h"
#include "tests/vst2/synth_host.h"

namespace {

std::string text(SynthHost& s, VstInt32 op, VstInt32 index) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    s.dispatch(op, index, 0, buffer);
    return buffer;
}

TEST(SynthIdentity, AnswersWithItsNamesOutputsAndCapabilities) {
    SynthHost s;
    const AEffect* r = s.synth.getAeffect();
    EXPECT_EQ(r->numInputs, 0);
    EXPECT_EQ(r->numOutputs, 2);
    EXPECT_EQ(r->flags, 16 | 256); // no editor factory in this fixture
    EXPECT_EQ(r->uniqueID, 0x556C7672);
    EXPECT_EQ(text(s, effGetEffectName, 0), "UlvoDraw");
    EXPECT_EQ(text(s, effGetVendorString, 0), "Korvane");
    EXPECT_EQ(text(s, effGetProductString, 0), "Ulvo DrawBar Synth");
    EXPECT_EQ(s.dispatch(effGetVendorVersion), 1);
    EXPECT_EQ(s.dispatch(effGetPlugCategory), 2);
    char cap1[] = "receiveVstMidiEvent", cap2[] = "receiveVstEvents", cap3[] = "ReceiveVstEvents",
         cap4[] = "sendVstEvents";
    EXPECT_EQ(s.dispatch(effCanDo, 0, 0, cap1), 1);
    EXPECT_EQ(s.dispatch(effCanDo, 0, 0, cap2), 1);
    EXPECT_EQ(s.dispatch(effCanDo, 0, 0, cap3), -1);
    EXPECT_EQ(s.dispatch(effCanDo, 0, 0, cap4), -1);

    VstPinProperties pin{};
    std::memset(&pin, 0x55, sizeof pin);
    EXPECT_EQ(s.dispatch(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Draw 2");
    EXPECT_EQ(pin.flags, 3);
    EXPECT_EQ(pin.arrangementType, 0x55555555); // no other field is written
    VstPinProperties untouched{};
    EXPECT_EQ(s.dispatch(effGetOutputProperties, 2, 0, &untouched), 0);
    EXPECT_EQ(s.dispatch(effGetOutputProperties, -1, 0, &untouched), 0);
    EXPECT_EQ(untouched.label[0], 0);
}

TEST(SynthIdentity, ANullCallbackKeepsTheBaseRecordButStillHasItsPrograms) {
    AVstXSynth synth(nullptr,
                     [](AVstXSynth* self) -> AEffEditor* { return new AEffEditorX(self); });
    const AEffect* r = synth.getAeffect();
    EXPECT_EQ(r->numInputs, 1);
    EXPECT_EQ(r->flags, effFlagsHasEditor);
    EXPECT_EQ(r->uniqueID, 0x4E6F4566);
    char name[24];
    synth.getProgramNameIndexed(0, 31, name);
    EXPECT_STREQ(name, "init32");
    EXPECT_EQ(synth.getProgram(), 0);
}

TEST(SynthIdentity, ResumeAsksForMidiEveryTime) {
    SynthHost s;
    s.dispatch(effMainsChanged, 0, 1);
    s.dispatch(effMainsChanged, 0, 0);
    s.dispatch(effMainsChanged, 0, 1);
    const auto requests = s.host.callsWith(audioMasterWantMidi);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].value, 1);
}

TEST(SynthParameters, NamesLabelsAndDisplays) {
    SynthHost s;
    const char* names[16] = {"A", "D", "S", "R",  "CutOff", "Q", "Type", "Env",
                             "2", "4", "8", "16", "6",      "3", "Wave", "Smooth"};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(text(s, effGetParamName, i), names[i]);
        EXPECT_EQ(text(s, effGetParamLabel, i), "/1");
    }
    EXPECT_EQ(text(s, effGetParamDisplay, 0), "0.10");
    EXPECT_EQ(text(s, effGetParamDisplay, 5), "0.00");
    EXPECT_EQ(text(s, effGetParamName, 16), "");
    EXPECT_EQ(text(s, effGetParamDisplay, 16), "");
    EXPECT_EQ(text(s, effGetParamDisplay, -1), "");
    EXPECT_EQ(text(s, effGetParamLabel, 99), "/1");
    EXPECT_EQ(s.synth.getParameter(16), 0.0f);
    EXPECT_EQ(s.synth.getParameter(-1), 0.0f);
    s.synth.setParameter(2, 1.0e30f);
    EXPECT_EQ(text(s, effGetParamDisplay, 2).size(), 7u); // cut to the host's 8-byte buffer
}

TEST(SynthParameters, SampleRateOpcodesTakeUsableRatesOnly) {
    SynthHost s;
    const float step = s.values().tableStep.load(std::memory_order_relaxed);
    for (float rate : {0.0f, -48000.0f, std::numeric_limits<float>::infinity(),
                       std::numeric_limits<float>::quiet_NaN(), 1e-44f}) {
        s.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        EXPECT_EQ(s.synth.getSampleRate(), 44100.0f) << rate;
        EXPECT_EQ(s.values().tableStep.load(std::memory_order_relaxed), step);
    }
    s.dispatch(effSetBlockSizeAndSampleRate, 0, 128, nullptr, 0.0f);
    EXPECT_EQ(s.synth.getBlockSize(), 128);
    EXPECT_EQ(s.synth.getSampleRate(), 44100.0f);
    s.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_FLOAT_EQ(s.values().tableStep.load(std::memory_order_relaxed), 0.08533333f);
}

std::string programName(SynthHost& s, int index) {
    char name[24] = "?";
    EXPECT_EQ(s.dispatch(effGetProgramNameIndexed, index, 0, name), 1);
    return name;
}

TEST(SynthPrograms, OpcodesReadAndWriteTheInstrumentsPrograms) {
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
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(s.synth.getParameter(i), kParameterDefaults[i]);

    s.dispatch(effSetProgram, 0, 3);
    s.synth.setParameter(CutOff, 0.8f);
    s.dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(s.synth.getParameter(CutOff), 0.5f);
    s.dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(s.synth.getParameter(CutOff), 0.8f);
    EXPECT_EQ(s.synth.program(5).value(CutOff), 0.5f);
    EXPECT_EQ(s.dispatch(effGetProgram), 3);

    char bright[] = "Bright";
    s.dispatch(effSetProgramName, 0, 0, bright);
    s.dispatch(effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "Bright");
    EXPECT_EQ(s.dispatch(effCopyProgram, 7), 1);
    EXPECT_EQ(programName(s, 7), "Bright");
    EXPECT_EQ(s.dispatch(effCopyProgram, 32), 0);
    EXPECT_EQ(s.dispatch(effCopyProgram, -1), 0);
    EXPECT_EQ(s.dispatch(effCopyProgram, 3), 1);
    EXPECT_EQ(s.dispatch(effGetProgram), 3);

    // A bound one byte too long would write a terminator into the values that follow the name;
    // at 0.3 no byte of them is zero, so the slip would show.
    for (std::int32_t index = 0; index < kParameterCount; ++index)
        s.synth.getAeffect()->setParameter(s.synth.getAeffect(), index, 0.3f);
    char fortyNine[] = "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn";
    s.dispatch(effSetProgramName, 0, 0, fortyNine);
    EXPECT_EQ(programName(s, 3), std::string(23, 'n'));
    for (std::int32_t index = 0; index < kParameterCount; ++index)
        EXPECT_EQ(s.synth.getAeffect()->getParameter(s.synth.getAeffect(), index), 0.3f) << index;
}

TEST(SynthPrograms, NumbersOutsideTheBankChangeNothing) {
    SynthHost s;
    s.dispatch(effSetProgram, 0, 4);
    s.synth.setProgram(-1);
    s.synth.setProgram(32);
    s.dispatch(effSetProgram, 0, -5);
    s.dispatch(effSetProgram, 0, 32);
    EXPECT_EQ(s.dispatch(effGetProgram), 4);
}

TEST(EventList, NullListsEventsAndOtherTypesAreSkipped) {
    SynthHost s;
    EXPECT_EQ(s.dispatch(effProcessEvents, 0, 0, nullptr), 1);
    VstMidiEvent sysex{};
    sysex.type = 6;
    sysex.midiData[0] = char(0x90);
    sysex.midiData[1] = 60;
    sysex.midiData[2] = 100;
    VstEvents list{};
    list.numEvents = 2;
    list.events[0] = nullptr;
    list.events[1] = reinterpret_cast<VstEvent*>(&sysex);
    EXPECT_EQ(s.dispatch(effProcessEvents, 0, 0, &list), 1);
    list.numEvents = -4;
    EXPECT_EQ(s.dispatch(effProcessEvents, 0, 0, &list), 1);
    EXPECT_EQ(EngineProbe::engine(s.synth.getInstrument()).soundingVoices(), 0);
}

TEST(EventList, DataBytesAreMaskedToSevenBits) {
    SynthHost s;
    s.send({{0, 0x90, 0xC5, 0xFF}}); // note 0x45 = 69, velocity 127
    EXPECT_EQ(s.voice(1).noteNumber, 69);
    EXPECT_EQ(s.voice(1).velocity, 127);
}

TEST(Render, ProcessAddsAndProcessReplacingReplaces) {
    SynthHost a, b;
    a.noteOn(60);
    b.noteOn(60);
    const auto replaced = a.render(256);
    std::vector<float> left(256, 0.5f), right(256, -0.5f);
    float* outs[2] = {left.data(), right.data()};
    b.synth.getAeffect()->process(b.synth.getAeffect(), nullptr, outs, 256);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(left[i], 0.5f + replaced[i]);
        EXPECT_EQ(right[i], -0.5f + replaced[i]);
    }
}

TEST(Render, NullOutputsAreIgnored) {
    SynthHost s;
    s.noteOn(60);
    s.synth.getAeffect()->processReplacing(s.synth.getAeffect(), nullptr, nullptr, 64);
    float left[4];
    float* outs[2] = {left, nullptr};
    s.synth.getAeffect()->processReplacing(s.synth.getAeffect(), nullptr, outs, 4);
    s.synth.getAeffect()->process(s.synth.getAeffect(), nullptr, outs, 4);
}

} // namespace
