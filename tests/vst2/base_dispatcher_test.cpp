#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/bounded_text.h"
#include "host/vst2_recording_host.h"
#include "plugin/vst2/four_char_code.h"
#include "tests/vst2/probe_effect.h"

namespace {

VstIntPtr dispatch(AudioEffect& e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
    AEffect* record = e.getAeffect();
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

TEST(EffectRecord, ConstructorStoresTheBaseValues) {
    ProbeEffect e(nullptr, 5);
    const AEffect* r = e.getAeffect();
    EXPECT_EQ(r->magic, 0x56737450);
    EXPECT_EQ(r->numPrograms, 5);
    EXPECT_EQ(r->numParams, 3);
    EXPECT_EQ(r->numInputs, 1);
    EXPECT_EQ(r->numOutputs, 2);
    EXPECT_EQ(r->flags, 0);
    EXPECT_EQ(r->ioRatio, 1.0f);
    EXPECT_EQ(r->object, &e);
    EXPECT_EQ(r->user, nullptr);
    EXPECT_EQ(r->uniqueID, fourCharCode('N', 'o', 'E', 'f'));
    EXPECT_EQ(r->version, 1);
    for (char c : r->future)
        EXPECT_EQ(c, 0);
    EXPECT_EQ(e.getSampleRate(), 44100.0f);
    EXPECT_EQ(e.getBlockSize(), 1024);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&r->magic);
    EXPECT_EQ(bytes[0], 0x50); // "VstP" stored little-endian: 50 74 73 56
    EXPECT_EQ(bytes[3], 0x56);
}

TEST(EffectRecord, SettersChangeOnlyTheirFieldOrBit) {
    ProbeEffect e(nullptr);
    AEffect* r = e.getAeffect();
    const std::pair<void (AudioEffectX::*)(bool), VstInt32> flagSetters[] = {
        {&AudioEffect::hasClip, 2},
        {&AudioEffect::hasVu, 4},
        {&AudioEffect::canMono, 8},
        {&AudioEffect::canProcessReplacing, 16},
        {&AudioEffect::programsAreChunks, 32},
        {&AudioEffectX::isSynth, 256},
        {&AudioEffectX::noTail, 512},
        {&AudioEffectX::isAsynchronous, 1024},
        {&AudioEffectX::hasExternalBuffer, 2048}};
    for (auto [setter, bit] : flagSetters) {
        (e.*setter)(true);
        EXPECT_EQ(r->flags, bit);
        (e.*setter)(false);
        EXPECT_EQ(r->flags, 0);
    }
    e.setNumInputs(3);
    e.setNumOutputs(5);
    e.setUniqueID(1234);
    e.setInitialDelay(64);
    e.setRealtimeQualities(7);
    e.setOfflineQualities(9);
    EXPECT_EQ(r->numInputs, 3);
    EXPECT_EQ(r->numOutputs, 5);
    EXPECT_EQ(r->uniqueID, 1234);
    EXPECT_EQ(r->initialDelay, 64);
    EXPECT_EQ(r->realQualities, 7);
    EXPECT_EQ(r->offQualities, 9);
}

TEST(EffectRecord, EditorAttachmentSetsAndClearsTheFlagAndIsDestroyedWithThePlugin) {
    ProbeEditor::destroyed = 0;
    {
        ProbeEffect e(nullptr);
        e.setEditor(new ProbeEditor(&e));
        EXPECT_EQ(e.getAeffect()->flags, effFlagsHasEditor);
        auto* other = new ProbeEditor(&e);
        delete e.getEditor();
        e.setEditor(nullptr);
        EXPECT_EQ(e.getAeffect()->flags, 0);
        e.setEditor(other);
    }
    EXPECT_EQ(ProbeEditor::destroyed, 2);
}

TEST(EffectRecord, EntriesReachTheObject) {
    Vst2RecordingHost host;
    auto* e = new ProbeEffect(Vst2RecordingHost::callback);
    AEffect* r = e->getAeffect();
    r->setParameter(r, 2, 0.25f);
    EXPECT_EQ(e->log.back(), "setParameter 2 0.250000");
    EXPECT_EQ(r->getParameter(r, 0), 0.0f);
    // effClose runs close, destroys the object and answers 1.
    EXPECT_EQ(r->dispatcher(r, effClose, 0, 0, nullptr, 0), 1);
}

TEST(BaseDispatcher, ProgramGuardAcceptsOnlyNumbersInRange) {
    ProbeEffect e(nullptr, 4);
    EXPECT_EQ(dispatch(e, effSetProgram, 0, 3), 0);
    EXPECT_EQ(e.getProgram(), 3);
    for (VstIntPtr bad : {VstIntPtr{4}, VstIntPtr{-1}, VstIntPtr{INT32_MIN}})
        EXPECT_EQ(dispatch(e, effSetProgram, 0, bad), 0);
    EXPECT_EQ(e.log, std::vector<std::string>{"setProgram 3"});
    EXPECT_EQ(dispatch(e, effGetProgram), 3);
}

TEST(BaseDispatcher, VuIsScaledAndRoundedHalfToEvenWithoutOverflow) {
    ProbeEffect e(nullptr);
    EXPECT_EQ(dispatch(e, effGetVu), 0);
    e.vu = 0.5f;
    EXPECT_EQ(dispatch(e, effGetVu), 16384); // 16383.5 rounds to even
    e.vu = 1.0e30f;
    EXPECT_EQ(dispatch(e, effGetVu), INT32_MAX);
    e.vu = -std::numeric_limits<float>::infinity();
    EXPECT_EQ(dispatch(e, effGetVu), INT32_MIN);
    e.vu = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(dispatch(e, effGetVu), 0);
}

TEST(BaseDispatcher, SettingsAndSwitching) {
    ProbeEffect e(nullptr);
    dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(e, effSetBlockSize, 0, 256);
    EXPECT_EQ(e.getSampleRate(), 48000.0f);
    EXPECT_EQ(e.getBlockSize(), 256);
    dispatch(e, effMainsChanged, 0, 2);
    dispatch(e, effMainsChanged, 0, 0);
    dispatch(e, effGetChunk, 1);
    dispatch(e, effGetChunk, 0);
    EXPECT_EQ(e.log, (std::vector<std::string>{"setSampleRate", "resume", "suspend",
                                               "getChunk preset", "getChunk bank"}));
}

TEST(BaseDispatcher, FixedAnswersAndUnknownOpcodes) {
    ProbeEffect e(nullptr);
    EXPECT_EQ(dispatch(e, effIdentify, 5, 6, &e, 1.0f), 0x4E764566);
    for (VstInt32 op : {16, 17, 18, 20, 21, 69, 1000, -1, INT32_MIN})
        EXPECT_EQ(dispatch(e, op, 1, 1, nullptr, 1.0f), 0) << op;
    // Without an editor the editor opcodes answer 0 and leave the host's data alone.
    ERect* rect = reinterpret_cast<ERect*>(0x1234);
    EXPECT_EQ(dispatch(e, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, reinterpret_cast<ERect*>(0x1234));
    EXPECT_EQ(dispatch(e, effEditOpen, 0, 0, &e), 0);
    EXPECT_EQ(dispatch(e, effEditClose), 0);
    EXPECT_EQ(dispatch(e, effEditIdle), 0);
}

TEST(BaseDispatcher, TextOpcodesNeverTouchANullBuffer) {
    ProbeEffect e(nullptr);
    for (VstInt32 op : {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay,
                        effGetParamName, effEditGetRect})
        EXPECT_EQ(dispatch(e, op, 0, 0, nullptr), 0) << op;
    char name[24] = "x";
    dispatch(e, effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "p");
}

TEST(BaseDispatcher, EditorOpcodesReachTheEditor) {
    ProbeEffect e(nullptr);
    auto* editor = new ProbeEditor(&e);
    e.setEditor(editor);
    ERect* rect = reinterpret_cast<ERect*>(0x1234);
    EXPECT_EQ(dispatch(e, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, nullptr); // the base editor publishes no rectangle
    int window = 0;
    EXPECT_EQ(dispatch(e, effEditOpen, 0, 0, &window), 0);
    EXPECT_EQ(dispatch(e, effEditClose), 0);
    EXPECT_EQ(editor->window(), &window); // kept after close
    dispatch(e, effEditIdle);
    EXPECT_EQ(editor->updates, 0);
    editor->postUpdate();
    editor->postUpdate();
    dispatch(e, effEditIdle);
    dispatch(e, effEditIdle);
    EXPECT_EQ(editor->updates, 1);
}

TEST(BaseHostCalls, WithoutAHostGiveTheirDefaults) {
    ProbeEffect e(nullptr);
    EXPECT_EQ(e.getMasterVersion(), 1);
    EXPECT_EQ(e.getCurrentUniqueId(), 0);
    EXPECT_TRUE(e.isInputConnected(0));
    EXPECT_TRUE(e.isOutputConnected(0));
    e.masterIdle();
    e.setParameterAutomated(1, 0.5f);
    EXPECT_EQ(e.log.back(), "setParameter 1 0.500000");
}

TEST(BaseHostCalls, PassTheirArgumentsAndReadTheAnswer) {
    Vst2RecordingHost host;
    ProbeEffect e(Vst2RecordingHost::callback);
    e.setParameterAutomated(2, 0.75f);
    ASSERT_EQ(host.calls.size(), 1u);
    const Vst2HostCall& automate = host.calls[0];
    EXPECT_EQ(automate.effect, e.getAeffect());
    EXPECT_EQ(automate.opcode, audioMasterAutomate);
    EXPECT_EQ(automate.index, 2);
    EXPECT_EQ(automate.value, 0);
    EXPECT_EQ(automate.opt, 0.75f);
    EXPECT_EQ(e.log.back(), "setParameter 2 0.750000");

    host.answers[audioMasterVersion] = 0;
    EXPECT_EQ(e.getMasterVersion(), 1);
    host.answers[audioMasterVersion] = 2400;
    EXPECT_EQ(e.getMasterVersion(), 2400);
    host.answers[audioMasterCurrentId] = 77;
    EXPECT_EQ(e.getCurrentUniqueId(), 77);

    host.answers[audioMasterPinConnected] = 1;
    EXPECT_FALSE(e.isInputConnected(3));
    EXPECT_FALSE(e.isOutputConnected(4));
    host.answers[audioMasterPinConnected] = 0;
    EXPECT_TRUE(e.isOutputConnected(4));
    const auto pins = host.callsWith(audioMasterPinConnected);
    ASSERT_EQ(pins.size(), 3u);
    EXPECT_EQ(pins[0].index, 3);
    EXPECT_EQ(pins[0].value, 0);
    EXPECT_EQ(pins[1].index, 4);
    EXPECT_EQ(pins[1].value, 1);
}

TEST(VstUtils, TextCopiesAreCutAndTerminated) {
    char buffer[8];
    copyText(buffer, "Ulvo DrawBar", sizeof buffer);
    EXPECT_STREQ(buffer, "Ulvo Dr");
    floatToText(0.1f, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "0.10");
    floatToText(-0.25f, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "-0.25");
    floatToText(123456.0f, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "123456.");
    floatToText(-std::numeric_limits<float>::infinity(), buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "-inf");
    copyText(nullptr, "x", 8); // nothing happens
}

} // namespace
