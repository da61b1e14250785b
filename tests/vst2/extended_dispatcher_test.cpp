#include <gtest/gtest.h>

#include <functional>

#include "host/vst2_recording_host.h"
#include "tests/vst2/probe_effect.h"

namespace {

VstIntPtr dispatch(AudioEffect& e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
    AEffect* record = e.getAeffect();
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

TEST(ExtendedDispatcher, DefaultAnswers) {
    ProbeEffect e(nullptr);
    char text[64] = "untouched";
    VstPinProperties pin{};
    EXPECT_EQ(dispatch(e, effProcessEvents), 0);
    EXPECT_EQ(dispatch(e, effCanBeAutomated, 99), 1);
    EXPECT_EQ(dispatch(e, effString2Parameter, 0, 0, text), 0);
    EXPECT_EQ(dispatch(e, effGetNumProgramCategories), 1);
    EXPECT_EQ(dispatch(e, effGetProgramNameIndexed, 0, 0, text), 0);
    EXPECT_EQ(dispatch(e, effCopyProgram, 1), 0);
    EXPECT_EQ(dispatch(e, effConnectInput, 0, 1), 1);
    EXPECT_EQ(dispatch(e, effConnectOutput, 0, 0), 1);
    EXPECT_EQ(dispatch(e, effGetInputProperties, 0, 0, &pin), 0);
    EXPECT_EQ(dispatch(e, effGetOutputProperties, 0, 0, &pin), 0);
    EXPECT_EQ(dispatch(e, effGetCurrentPosition), 0);
    EXPECT_EQ(dispatch(e, effGetDestinationBuffer), 0);
    for (VstInt32 op = effOfflineNotify; op <= effSetSpeakerArrangement; ++op)
        EXPECT_EQ(dispatch(e, op), 0) << op;
    EXPECT_EQ(dispatch(e, effSetBypass, 0, 1), 0);
    for (VstInt32 op = effGetEffectName; op <= effGetProductString; ++op)
        EXPECT_EQ(dispatch(e, op, 0, 0, text), 0) << op;
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(dispatch(e, effGetVendorVersion), 0);
    EXPECT_EQ(dispatch(e, effVendorSpecific, 1, 2, text, 3.0f), 0);
    EXPECT_EQ(dispatch(e, effCanDo, 0, 0, text), 0);
    EXPECT_EQ(dispatch(e, effGetTailSize), 0);
    EXPECT_EQ(dispatch(e, effIdle), 0);
    EXPECT_EQ(dispatch(e, effGetIcon), 0);
    EXPECT_EQ(dispatch(e, effSetViewPosition, 1, 2), 0);
    EXPECT_EQ(dispatch(e, effGetParameterProperties, 0, 0, text), 0);
    EXPECT_EQ(dispatch(e, effKeysRequired), 1); // inverted
    EXPECT_EQ(dispatch(e, effGetVstVersion), 2200);
    EXPECT_EQ(dispatch(e, effGetMidiProgramName), 0);
    EXPECT_EQ(dispatch(e, effGetCurrentMidiProgram), -1);
    EXPECT_EQ(dispatch(e, effGetMidiProgramCategory), 0);
    EXPECT_EQ(dispatch(e, effHasMidiProgramsChanged), 0);
    EXPECT_EQ(dispatch(e, effGetMidiKeyName), 0);
    EXPECT_EQ(dispatch(e, effBeginSetProgram), 0);
    EXPECT_EQ(dispatch(e, effEndSetProgram), 0);
    // Without an editor the key and knob opcodes answer 0.
    EXPECT_EQ(dispatch(e, effEditKeyDown, 65), 0);
    EXPECT_EQ(dispatch(e, effEditKeyUp, 65), 0);
    EXPECT_EQ(dispatch(e, effSetEditKnobMode, 0, 1), 0);
}

TEST(ExtendedDispatcher, PlugCategoryFollowsTheSynthFlag) {
    ProbeEffect e(nullptr);
    EXPECT_EQ(dispatch(e, effGetPlugCategory), 0);
    e.isSynth(true);
    EXPECT_EQ(dispatch(e, effGetPlugCategory), 2);
    e.isSynth(false);
    EXPECT_EQ(dispatch(e, effGetPlugCategory), 0);
}

TEST(ExtendedDispatcher, BlockSizeAndSampleRateAreStoredWithoutTheSetters) {
    ProbeEffect e(nullptr);
    EXPECT_EQ(dispatch(e, effSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f), 1);
    EXPECT_EQ(e.getBlockSize(), 512);
    EXPECT_EQ(e.getSampleRate(), 48000.0f);
    EXPECT_TRUE(e.log.empty()); // the overridden setSampleRate did not run
}

TEST(ExtendedDispatcher, KeyCodesCarryTheMaskedAndRoundedModifier) {
    ProbeEffect e(nullptr);
    auto* editor = new ProbeEditor(&e);
    e.setEditor(editor);
    EXPECT_EQ(dispatch(e, effEditKeyDown, 65, 0x1FF, nullptr, 2.6f), 7);
    EXPECT_EQ(editor->lastKey.character, 65);
    EXPECT_EQ(editor->lastKey.virt, 0xFF);
    EXPECT_EQ(editor->lastKey.modifier, 3);
    EXPECT_EQ(dispatch(e, effEditKeyUp, 65), -1);
    EXPECT_EQ(dispatch(e, effSetEditKnobMode, 0, 2), 0);
    // Floats that do not fit never overflow the rounding.
    for (float opt : {1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()})
        dispatch(e, effEditKeyDown, 1, 2, nullptr, opt);
    EXPECT_EQ(editor->lastKey.modifier, 0xFF); // INT32_MAX & 0xFF
}

// One row per host-call wrapper: what it sends, and what it gives for a host answering 5 or 0.
struct HostCallRow {
    const char* name;
    std::function<VstIntPtr(AudioEffectX&)> call;
    VstInt32 opcode, index;
    VstIntPtr value;
    bool ptrIsMarker;
    float opt;
    VstIntPtr whenFive, whenZero, noHost;
};

int marker;
void* const kMarker = &marker;

TEST(ExtendedHostCalls, EveryWrapperSendsItsOpcodeAndMapsTheAnswer) {
    auto ptrOf = [](void* p) { return reinterpret_cast<VstIntPtr>(p); };
    char* text = static_cast<char*>(kMarker);
    const HostCallRow rows[] = {
        {"getTimeInfo", [&](auto& e) { return ptrOf(e.getTimeInfo(3)); }, 7, 0, 3, false, 0, 5, 0, 0},
        {"tempoAt", [](auto& e) { return e.tempoAt(9); }, 10, 0, 9, false, 0, 5, 0, 0},
        {"getNumAutomatableParameters", [](auto& e) { return e.getNumAutomatableParameters(); }, 11, 0, 0, false, 0, 5, 0, 0},
        {"getParameterQuantization", [](auto& e) { return e.getParameterQuantization(); }, 12, 0, 0, false, 0, 5, 0, 0},
        {"ioChanged", [](auto& e) { return VstIntPtr(e.ioChanged()); }, 13, 0, 0, false, 0, 1, 0, 0},
        {"needIdle", [](auto& e) { return VstIntPtr(e.needIdle()); }, 14, 0, 0, false, 0, 1, 0, 0},
        {"sizeWindow", [](auto& e) { return VstIntPtr(e.sizeWindow(300, 200)); }, 15, 300, 200, false, 0, 1, 0, 0},
        {"updateSampleRate", [](auto& e) { return VstIntPtr(e.updateSampleRate()); }, 16, 0, 0, false, 0, 44100, 44100, 44100},
        {"updateBlockSize", [](auto& e) { return VstIntPtr(e.updateBlockSize()); }, 17, 0, 0, false, 0, 1024, 1024, 1024},
        {"getInputLatency", [](auto& e) { return e.getInputLatency(); }, 18, 0, 0, false, 0, 5, 0, 0},
        {"getOutputLatency", [](auto& e) { return e.getOutputLatency(); }, 19, 0, 0, false, 0, 5, 0, 0},
        {"getPreviousPlug", [&](auto& e) { return ptrOf(e.getPreviousPlug()); }, 20, 0, 0, false, 0, 5, 0, 0},
        {"getNextPlug", [&](auto& e) { return ptrOf(e.getNextPlug()); }, 21, 0, 0, false, 0, 5, 0, 0},
        {"willProcessReplacing", [](auto& e) { return e.willProcessReplacing(); }, 22, 0, 0, false, 0, 5, 0, 0},
        {"getCurrentProcessLevel", [](auto& e) { return e.getCurrentProcessLevel(); }, 23, 0, 0, false, 0, 5, 0, 0},
        {"getAutomationState", [](auto& e) { return e.getAutomationState(); }, 24, 0, 0, false, 0, 5, 0, 0},
        {"offlineStart", [](auto& e) { return VstIntPtr(e.offlineStart(kMarker, 4, 6)); }, 25, 6, 4, true, 0, 1, 0, 0},
        {"offlineRead", [](auto& e) { return VstIntPtr(e.offlineRead(kMarker, 2, true)); }, 26, 1, 2, true, 0, 1, 0, 0},
        {"offlineWrite", [](auto& e) { return VstIntPtr(e.offlineWrite(kMarker, 2)); }, 27, 0, 2, true, 0, 1, 0, 0},
        {"offlineGetCurrentPass", [](auto& e) { return e.offlineGetCurrentPass(); }, 28, 0, 0, false, 0, 1, 0, 0},
        {"offlineGetCurrentMetaPass", [](auto& e) { return e.offlineGetCurrentMetaPass(); }, 29, 0, 0, false, 0, 1, 0, 0},
        {"setOutputSamplerate", [](auto& e) { e.setOutputSamplerate(96000.0f); return VstIntPtr(0); }, 30, 0, 0, false, 96000.0f, 0, 0, 0},
        {"getHostVendorString", [&](auto& e) { return VstIntPtr(e.getHostVendorString(text)); }, 32, 0, 0, true, 0, 1, 0, 0},
        {"getHostProductString", [&](auto& e) { return VstIntPtr(e.getHostProductString(text)); }, 33, 0, 0, true, 0, 1, 0, 0},
        {"getHostVendorVersion", [](auto& e) { return e.getHostVendorVersion(); }, 34, 0, 0, false, 0, 5, 0, 0},
        {"hostVendorSpecific", [](auto& e) { return e.hostVendorSpecific(8, 9, kMarker, 1.5f); }, 35, 8, 9, true, 1.5f, 5, 0, 0},
        {"canHostDo", [&](auto& e) { return e.canHostDo(text); }, 37, 0, 0, true, 0, 1, 0, 0},
        {"getHostLanguage", [](auto& e) { return e.getHostLanguage(); }, 38, 0, 0, false, 0, 5, 0, 0},
        {"openWindow", [&](auto& e) { return ptrOf(e.openWindow(kMarker)); }, 39, 0, 0, true, 0, 5, 0, 0},
        {"closeWindow", [](auto& e) { return VstIntPtr(e.closeWindow(kMarker)); }, 40, 0, 0, true, 0, 1, 0, 0},
        {"getDirectory", [&](auto& e) { return ptrOf(e.getDirectory()); }, 41, 0, 0, false, 0, 5, 0, 0},
        {"updateDisplay", [](auto& e) { return VstIntPtr(e.updateDisplay()); }, 42, 0, 0, false, 0, 1, 0, 0},
        {"beginEdit", [](auto& e) { return VstIntPtr(e.beginEdit(4)); }, 43, 4, 0, false, 0, 1, 0, 0},
        {"endEdit", [](auto& e) { return VstIntPtr(e.endEdit(4)); }, 44, 4, 0, false, 0, 1, 0, 0},
        {"openFileSelector", [](auto& e) { return VstIntPtr(e.openFileSelector(kMarker)); }, 45, 0, 0, true, 0, 1, 0, 0},
        {"wantEvents", [](auto& e) { e.wantEvents(1); return VstIntPtr(0); }, 6, 0, 1, false, 0, 0, 0, 0},
    };
    for (const HostCallRow& row : rows) {
        SCOPED_TRACE(row.name);
        {
            ProbeEffect alone(nullptr);
            EXPECT_EQ(row.call(alone), row.noHost);
        }
        Vst2RecordingHost host;
        ProbeEffect e(Vst2RecordingHost::callback);
        host.answers[row.opcode] = 5;
        EXPECT_EQ(row.call(e), row.whenFive);
        host.answers[row.opcode] = 0;
        EXPECT_EQ(row.call(e), row.whenZero);
        ASSERT_EQ(host.calls.size(), 2u);
        const Vst2HostCall& c = host.calls[0];
        EXPECT_EQ(c.effect, e.getAeffect());
        EXPECT_EQ(c.opcode, row.opcode);
        EXPECT_EQ(c.index, row.index);
        EXPECT_EQ(c.value, row.value);
        EXPECT_EQ(c.ptr, row.ptrIsMarker ? kMarker : nullptr);
        EXPECT_EQ(c.opt, row.opt);
    }
}

TEST(ExtendedHostCalls, FileSelectorWithoutASelectorDoesNotCallTheHost) {
    Vst2RecordingHost host;
    host.answers[audioMasterOpenFileSelector] = 1;
    ProbeEffect e(Vst2RecordingHost::callback);
    EXPECT_FALSE(e.openFileSelector(nullptr));
    EXPECT_TRUE(host.calls.empty());
}

} // namespace
