// The plug-in as a host sees it: the built library, loaded with dlopen.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <cstring>

#include "host/vst2_recording_host.h"
#include "plugin/vst2/aeffectx.h"

namespace {

using EntryFunction = AEffect* (*)(audioMasterCallback);

class LoadedPlugin : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        library = dlopen(ULVO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        std::uint16_t controlWord = 0;
        __asm__ volatile("fnstcw %0" : "=m"(controlWord));
        controlWordAfterLoad = controlWord;
    }
    static void TearDownTestSuite() { dlclose(library); }

    static EntryFunction entry(const char* name) {
        return reinterpret_cast<EntryFunction>(dlsym(library, name));
    }
    static VstIntPtr dispatch(AEffect* e, VstInt32 op, VstInt32 index = 0, VstIntPtr value = 0,
                              void* ptr = nullptr, float opt = 0) {
        return e->dispatcher(e, op, index, value, ptr, opt);
    }

    static inline void* library = nullptr;
    static inline std::uint16_t controlWordAfterLoad = 0;
};

TEST_F(LoadedPlugin, ExportsBothEntryNamesAndSetsTheControlWordOnLoad) {
    EXPECT_NE(entry("main"), nullptr);
    EXPECT_NE(entry("VSTPluginMain"), nullptr);
    // Bit 6 of the x87 control word is reserved and reads back as 1 whatever was loaded.
    EXPECT_EQ(controlWordAfterLoad & ~0x40, 0x133F);
}

TEST_F(LoadedPlugin, RefusesAHostWithoutAVersionOrWithoutACallback) {
    Vst2RecordingHost host;
    host.answers[audioMasterVersion] = 0;
    EXPECT_EQ(entry("main")(Vst2RecordingHost::callback), nullptr);
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].effect, nullptr);
    EXPECT_EQ(host.calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(entry("main")(nullptr), nullptr);
}

TEST_F(LoadedPlugin, RecordReadsAsReturnedAndEveryCallMakesANewObject) {
    Vst2RecordingHost host;
    for (const char* name : {"main", "VSTPluginMain"}) {
        AEffect* a = entry(name)(Vst2RecordingHost::callback);
        AEffect* b = entry(name)(Vst2RecordingHost::callback);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        EXPECT_NE(a->object, b->object);
        EXPECT_EQ(a->magic, 0x56737450);
        EXPECT_EQ(a->numPrograms, 32);
        EXPECT_EQ(a->numParams, 16);
        EXPECT_EQ(a->numInputs, 0);
        EXPECT_EQ(a->numOutputs, 2);
        EXPECT_EQ(a->flags, 0x111);
        EXPECT_EQ(a->resvd1, 0);
        EXPECT_EQ(a->resvd2, 0);
        EXPECT_EQ(a->initialDelay, 0);
        EXPECT_EQ(a->ioRatio, 1.0f);
        EXPECT_EQ(a->user, nullptr);
        EXPECT_EQ(a->uniqueID, 0x556C7672); // 'Ulvr'
        EXPECT_EQ(a->version, 1);
        EXPECT_NE(a->processReplacing, nullptr);
        const char zeros[60] = {};
        EXPECT_EQ(std::memcmp(a->future, zeros, sizeof zeros), 0);
        EXPECT_EQ(dispatch(a, effClose), 1);
        EXPECT_EQ(dispatch(b, effClose), 1);
    }
}

TEST_F(LoadedPlugin, PlaysANoteThroughTheEntries) {
    Vst2RecordingHost host;
    AEffect* e = entry("main")(Vst2RecordingHost::callback);
    ASSERT_NE(e, nullptr);
    dispatch(e, effOpen);
    dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(e, effSetBlockSize, 0, 256);
    dispatch(e, effMainsChanged, 0, 1);
    ASSERT_EQ(host.callsWith(audioMasterWantMidi).size(), 1u);
    EXPECT_EQ(host.callsWith(audioMasterWantMidi)[0].value, 1);

    VstMidiEvent on{};
    on.type = kVstMidiType;
    on.byteSize = sizeof on;
    on.deltaFrames = 3;
    on.midiData[0] = char(0x90);
    on.midiData[1] = 69;
    on.midiData[2] = 100;
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&on);
    EXPECT_EQ(dispatch(e, effProcessEvents, 0, 0, &list), 1);

    float left[256], right[256];
    float* outs[2] = {left, right};
    e->processReplacing(e, nullptr, outs, 256);
    EXPECT_EQ(left[0], 0.0f);
    EXPECT_EQ(left[3], 0.0f); // the attack starts at level 0
    float peak = 0;
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(left[i], right[i]);
        peak = std::fmax(peak, std::fabs(left[i]));
    }
    EXPECT_GT(peak, 0.0f);

    e->setParameter(e, 4, 0.8f);
    EXPECT_EQ(e->getParameter(e, 4), 0.8f);
    char text[8];
    dispatch(e, effGetParamDisplay, 4, 0, text);
    EXPECT_STREQ(text, "0.80");
    dispatch(e, effMainsChanged, 0, 0);
    EXPECT_EQ(dispatch(e, effClose), 1);
}

} // namespace
