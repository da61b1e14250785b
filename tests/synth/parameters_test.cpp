#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "tests/synth/synth_fixture.h"

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

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
}

TEST(SynthParameters, ValuesAreStoredUnclampedAndDisplaysFitEightBytes) {
    SynthHost s;
    s.synth.setParameter(0, 2.0f);
    EXPECT_EQ(s.synth.getParameter(0), 2.0f);
    EXPECT_EQ(text(s, effGetParamDisplay, 0), "2.00");
    s.synth.setParameter(1, -0.25f);
    EXPECT_EQ(text(s, effGetParamDisplay, 1), "-0.25");
    s.synth.setParameter(2, 1.0e30f);
    const std::string huge = text(s, effGetParamDisplay, 2);
    EXPECT_EQ(huge.size(), 7u); // cut to the host's 8-byte buffer
    const float nan = std::numeric_limits<float>::quiet_NaN();
    s.synth.setParameter(3, nan);
    EXPECT_TRUE(std::isnan(s.synth.getParameter(3))); // stored as it arrives
    EXPECT_EQ(text(s, effGetParamDisplay, 3), "nan");
    // Out-of-range indices store nothing.
    s.synth.setParameter(16, 0.7f);
    s.synth.setParameter(-1, 0.7f);
    for (int i = 4; i < 16; ++i)
        EXPECT_NE(s.synth.getParameter(i), 0.7f);
}

TEST(ParameterResponse, EnvelopeLengthsAt44100) {
    SynthHost s;
    const EngineValues& v = s.values();
    EXPECT_EQ(v.attackLength.load(relaxed), 221);
    EXPECT_EQ(v.decayLength.load(relaxed), 221);
    EXPECT_EQ(v.releaseLength.load(relaxed), 451);
    s.synth.setParameter(Attack, 0.5f);
    EXPECT_EQ(v.attackLength.load(relaxed), 5512); // 5512.5, a tie, rounds to even
    s.synth.setParameter(Attack, 1.0f);
    EXPECT_EQ(v.attackLength.load(relaxed), 22050);
    s.synth.setParameter(Attack, 0.0f);
    EXPECT_EQ(v.attackLength.load(relaxed), 0);
    s.synth.setParameter(Release, 0.0f);
    EXPECT_EQ(v.releaseLength.load(relaxed), 10);
    s.synth.setParameter(Release, 1.0f);
    EXPECT_EQ(v.releaseLength.load(relaxed), 44110);
}

TEST(ParameterResponse, FilterValues) {
    SynthHost s;
    const EngineValues& v = s.values();
    EXPECT_FLOAT_EQ(v.cutoffScale.load(relaxed), 0.40816328f);
    s.synth.setParameter(CutOff, 0.0f);
    EXPECT_FLOAT_EQ(v.cutoffScale.load(relaxed), 0.06802721f);
    s.synth.setParameter(CutOff, 1.0f);
    EXPECT_FLOAT_EQ(v.cutoffScale.load(relaxed), 1.4285715f);
    EXPECT_FLOAT_EQ(v.damping.load(relaxed), 1.2f);
    s.synth.setParameter(Q, 1.0f);
    EXPECT_FLOAT_EQ(v.damping.load(relaxed), 0.03f);
    const std::pair<float, int> modes[] = {{0.25f, 0}, {0.26f, 1}, {0.5f, 1}, {0.75f, 2},
                                           {1.3f, 3},  {5.0f, 3},  {-3.0f, 0}};
    for (auto [type, mode] : modes) {
        s.synth.setParameter(Type, type);
        EXPECT_EQ(v.filterMode.load(relaxed), mode) << type;
    }
}

TEST(ParameterResponse, WaveChoosesTheBankByRoundingThreeTimesTheValue) {
    SynthHost s;
    const std::pair<float, int> banks[] = {{0.0f, SineBankIndex},     {0.16666667f, SawBankIndex},
                                           {0.5f, SquareBankIndex},   {1.0f, TriangleBankIndex},
                                           {9.0f, TriangleBankIndex}, {-9.0f, SineBankIndex}};
    for (auto [wave, bank] : banks) {
        s.synth.setParameter(Wave, wave);
        EXPECT_EQ(s.values().activeBank.load(relaxed), bank) << wave;
    }
}

std::vector<int> weights(const SynthHost& s) {
    std::vector<int> w;
    for (const auto& weight : s.values().harmonicWeight)
        w.push_back(weight.load(relaxed));
    return w;
}

TEST(ParameterResponse, DrawbarWeightsDependOnTheOrderOfChanges) {
    SynthHost s;
    // Construction sets the drawbars one after another with the later ones still at zero.
    EXPECT_EQ(weights(s), (std::vector<int>{250, 333, 250, 200, 167, 143, 125}));
    s.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(weights(s), (std::vector<int>{250, 125, 125, 125, 125, 125, 125}));
    for (int k = Drawbar2; k <= Drawbar3; ++k)
        s.synth.setParameter(k, 0.0f);
    EXPECT_EQ(weights(s)[0], 1000);
    EXPECT_FLOAT_EQ(s.values().drawbarSum.load(relaxed), 1.0f);
}

TEST(ParameterResponse, SampleRateChangesOnlyTheTableStepUntilAParameterIsSetAgain) {
    SynthHost s;
    EXPECT_EQ(s.values().tableStep.load(relaxed), static_cast<float>(4096.0 / 44100.0));
    s.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_FLOAT_EQ(s.values().tableStep.load(relaxed), 0.08533333f);
    EXPECT_EQ(s.values().attackLength.load(relaxed), 221);
    s.synth.setParameter(Attack, 0.1f);
    EXPECT_EQ(s.values().attackLength.load(relaxed), 240);
}

TEST(ParameterResponse, UnusableSampleRatesAreIgnored) {
    SynthHost s;
    const float step = s.values().tableStep.load(relaxed);
    for (float rate : {0.0f, -48000.0f, std::numeric_limits<float>::infinity(),
                       std::numeric_limits<float>::quiet_NaN(), 1e-44f}) {
        s.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        EXPECT_EQ(s.synth.getSampleRate(), 44100.0f) << rate;
        EXPECT_EQ(s.values().tableStep.load(relaxed), step);
    }
    s.dispatch(effSetBlockSizeAndSampleRate, 0, 128, nullptr, 0.0f);
    EXPECT_EQ(s.synth.getBlockSize(), 128);
    EXPECT_EQ(s.synth.getSampleRate(), 44100.0f);
}

TEST(ParameterResponse, NonFiniteAndOutOfRangeValuesGiveTheDerivedValuesOfTheNearestEnd) {
    SynthHost s;
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int index = 0; index < 16; ++index) {
        s.synth.setParameter(index, nan);
        s.synth.setParameter(index, inf);
    }
    const EngineValues& v = s.values();
    // Non-finite values act as 0.
    EXPECT_EQ(v.attackLength.load(relaxed), 0);
    EXPECT_EQ(v.releaseLength.load(relaxed), 10);
    EXPECT_FLOAT_EQ(v.cutoffScale.load(relaxed), 0.06802721f);
    EXPECT_EQ(v.filterMode.load(relaxed), 0);
    EXPECT_EQ(weights(s)[0], 1000);
    // The sound is made from values held within 0..1; the host reads back what it set.
    s.synth.setParameter(Release, 3e38f);
    EXPECT_EQ(v.releaseLength.load(relaxed), 44110);
    s.synth.setParameter(Attack, -3e38f);
    EXPECT_EQ(v.attackLength.load(relaxed), 0);
    s.synth.setParameter(Sustain, 3e38f);
    EXPECT_EQ(v.sustainLevel.load(relaxed), 1.0f);
    EXPECT_EQ(s.synth.getParameter(Sustain), 3e38f);
    s.synth.setParameter(Q, 2.0f);
    EXPECT_FLOAT_EQ(v.damping.load(relaxed), 0.03f);
    s.synth.setParameter(Env, -5.0f);
    EXPECT_EQ(v.envDepth.load(relaxed), 0.0f);
    s.synth.setParameter(CutOff, 7.0f);
    EXPECT_FLOAT_EQ(v.cutoffScale.load(relaxed), 1.4285715f);
    for (int k = Drawbar2; k <= Drawbar3; ++k)
        s.synth.setParameter(k, k == Drawbar2 ? 96000.0f : -1.0f);
    EXPECT_EQ(weights(s)[0], 500); // the fundamental beside one drawbar pulled out fully
    EXPECT_EQ(weights(s)[1], 500);
}

} // namespace
