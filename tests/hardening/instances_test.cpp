// A thousand instances through the library's exported entry, as a host loading a project full
// of them does: created and closed one after another with two alive at a time, both rendering.
// Each instance renders exactly what the first one did, whatever its neighbour plays; the heap
// holds no more after the thousandth than after the first few; and loading and unloading the
// library again and again leaves nothing behind either.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include <valgrind/valgrind.h>

#include "host/vst2_quiet_host.h"
#include "plugin/vst2/aeffectx.h"
#include "synth/parameters.h"
#include "tests/hardening/heap_usage.h"
#include "tests/hardening/host_traffic.h"

namespace {

using Entry = AEffect* (*)(audioMasterCallback);

constexpr int kInstances = 1000;
constexpr int kBlocksPerTurn = 4;
constexpr std::int32_t kFrames = 256;
// Below what one instance takes (its programs alone are some 2.8 KiB): a leak of even a few
// dozen bytes an instance shows over a thousand.
constexpr long kHeapSlack = 64 * 1024;
constexpr long kResidentSlack = 2 * 1024 * 1024;

class LoadedLibrary {
  public:
    LoadedLibrary() : handle(dlopen(ULVO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL)) {}
    ~LoadedLibrary() {
        if (handle != nullptr) dlclose(handle);
    }
    Entry entry() const {
        return handle != nullptr ? reinterpret_cast<Entry>(dlsym(handle, "VSTPluginMain"))
                                 : nullptr;
    }
    void* handle;
};

using Block = std::array<float, kFrames>;

// Block `block` of an instance's turn `turn` (0 for its first, 1 for its second): the same
// notes and parameter writes for every instance, so that every one must render the same.
Block playBlock(AEffect* effect, int turn, int block) {
    EventBlock events;
    const int step = turn * kBlocksPerTurn + block;
    events.add(0x90, static_cast<std::uint8_t>(48 + 5 * step), 100, 3 * step);
    if (step % 3 == 2) events.add(0x80, static_cast<std::uint8_t>(48 + 5 * (step - 2)), 0, 100);
    if (step == 5) events.add(0xE0, 0, 100, 17);
    events.sendTo(effect);
    effect->setParameter(effect, Drawbar16, 0.1f * static_cast<float>(step));
    Block left{}, right{};
    float* outputs[2] = {left.data(), right.data()};
    effect->processReplacing(effect, nullptr, outputs, kFrames);
    for (std::int32_t i = 0; i < kFrames; ++i) {
        EXPECT_TRUE(std::isfinite(left[i]));
        EXPECT_EQ(std::memcmp(&left[i], &right[i], sizeof(float)), 0);
    }
    return left;
}

AEffect* createInstance(Entry entry) {
    AEffect* effect = entry(quietVst2Host);
    if (effect != nullptr) {
        dispatch(effect, effOpen);
        dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
        dispatch(effect, effSetBlockSize, 0, kFrames);
        dispatch(effect, effMainsChanged, 0, 1);
    }
    return effect;
}

void closeInstance(AEffect* effect) {
    dispatch(effect, effMainsChanged, 0, 0);
    EXPECT_EQ(dispatch(effect, effClose), 1);
}

TEST(Instances, AThousandComeAndGoTwoAtATimeWithoutGrowthOrCrosstalk) {
    LoadedLibrary library;
    ASSERT_NE(library.handle, nullptr) << dlerror();
    const Entry entry = library.entry();
    ASSERT_NE(entry, nullptr);

    // What one instance renders over its two turns when alone.
    std::vector<Block> expected;
    AEffect* alone = createInstance(entry);
    ASSERT_NE(alone, nullptr);
    for (int turn = 0; turn < 2; ++turn)
        for (int block = 0; block < kBlocksPerTurn; ++block)
            expected.push_back(playBlock(alone, turn, block));
    closeInstance(alone);

    AEffect* older = createInstance(entry);
    ASSERT_NE(older, nullptr);
    for (int block = 0; block < kBlocksPerTurn; ++block)
        playBlock(older, 0, block);
    long heapAfterWarmUp = 0, residentAfterWarmUp = 0;
    long mismatches = 0;
    for (int n = 1; n < kInstances; ++n) {
        AEffect* newer = createInstance(entry);
        ASSERT_NE(newer, nullptr) << "instance " << n;
        ASSERT_NE(newer, older);
        for (int block = 0; block < kBlocksPerTurn; ++block) {
            const Block fromOlder = playBlock(older, 1, block);
            const Block fromNewer = playBlock(newer, 0, block);
            mismatches += fromOlder != expected[kBlocksPerTurn + block];
            mismatches += fromNewer != expected[block];
        }
        closeInstance(older);
        older = newer;
        if (n == 20) {
            heapAfterWarmUp = heapBytesInUse();
            residentAfterWarmUp = residentBytes();
        }
    }
    const long heapGrowth = heapBytesInUse() - heapAfterWarmUp;
    const long residentGrowth = residentBytes() - residentAfterWarmUp;
    closeInstance(older);

    std::printf("%d instances; heap grew by %ld bytes, resident memory by %ld bytes\n", kInstances,
                heapGrowth, residentGrowth);
    EXPECT_EQ(mismatches, 0) << "blocks that differ from a lone instance's";
    EXPECT_LE(heapGrowth, kHeapSlack);
    // The sanitizer keeps freed memory in quarantine, and valgrind keeps its own books.
    if (!kBuiltWithAsan && !RUNNING_ON_VALGRIND) {
        EXPECT_LE(residentGrowth, kResidentSlack);
    }
}

TEST(Instances, LoadingAndUnloadingTheLibraryLeavesNothingBehind) {
    long heapAfterWarmUp = 0;
    for (int cycle = 0; cycle < 30; ++cycle) {
        LoadedLibrary library;
        ASSERT_NE(library.handle, nullptr) << dlerror();
        AEffect* effect = createInstance(library.entry());
        ASSERT_NE(effect, nullptr);
        for (int block = 0; block < kBlocksPerTurn; ++block)
            playBlock(effect, 0, block);
        closeInstance(effect);
        if (cycle == 5) heapAfterWarmUp = heapBytesInUse();
    }
    EXPECT_LE(heapBytesInUse() - heapAfterWarmUp, kHeapSlack);
}

} // namespace
