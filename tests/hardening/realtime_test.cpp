// The audio thread's calls never allocate and never lock: the event intake, both renders, and
// the parameter writes and program selections that hosts also make on that thread. Checked over
// a long random session, with parameter values in 0 to 1 and, now and then, anywhere at all.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

#include <valgrind/valgrind.h>

#include "host/vst2_quiet_host.h"
#include "plugin/vst2/audio_effect.h"
#include "plugin/vst2/plugin_factory.h"
#include "tests/hardening/host_traffic.h"
#include "tests/hardening/realtime_monitor.h"
#include "tests/hardening/run_length.h"

namespace {

void* volatile sink = nullptr;

float anyValue(Random& random) {
    constexpr float kWild[] = {std::numeric_limits<float>::quiet_NaN(),
                               std::numeric_limits<float>::infinity(),
                               -std::numeric_limits<float>::infinity(),
                               std::numeric_limits<float>::denorm_min(),
                               std::numeric_limits<float>::max(),
                               -1e30f,
                               1e9f,
                               -3.0f,
                               7.0f};
    return kWild[random.below(sizeof kWild / sizeof kWild[0])];
}

// Under valgrind, whose allocator takes over, the counting may not see anything; the session
// then runs for its memory checks alone.
bool monitorWorks() {
    const long allocationsBefore = monitoredAllocations();
    const long locksBefore = monitoredLocks();
    std::mutex mutex;
    {
        MonitoredScope scope;
        sink = std::malloc(24);
        std::free(sink);
        auto* text = new std::string(64, 'x');
        sink = text;
        delete text;
        mutex.lock();
        mutex.unlock();
    }
    return monitoredAllocations() - allocationsBefore >= 2 && monitoredLocks() - locksBefore >= 1;
}

TEST(RealtimeMonitor, SeesAllocationsAndLocksMadeInItsScopeOnly) {
    if (RUNNING_ON_VALGRIND && !monitorWorks()) GTEST_SKIP() << "valgrind serves the allocator";
    EXPECT_TRUE(monitorWorks());
    const long before = monitoredAllocations();
    sink = std::malloc(24); // outside any scope
    std::free(sink);
    EXPECT_EQ(monitoredAllocations(), before);
}

TEST(AudioThread, NeverAllocatesNorLocksOverALongRandomSession) {
    const bool counting = monitorWorks();
    if (RUNNING_ON_VALGRIND && !counting)
        std::printf("valgrind serves the allocator: not counted\n");
    else
        ASSERT_TRUE(counting);

    AudioEffect* object = createEffectInstance(quietVst2Host);
    ASSERT_NE(object, nullptr);
    AEffect* effect = object->getAeffect();
    dispatch(effect, effMainsChanged, 0, 1);
    Random random(0xA110C);
    EventBlock block;
    std::vector<float> left(4096), right(4096);
    float* outputs[2] = {left.data(), right.data()};
    const double targetSeconds = RunLength{120.0, 30.0, 2.0}.pick();
    const long allocationsBefore = monitoredAllocations();
    const long locksBefore = monitoredLocks();
    double seconds = 0;
    long calls = 0;
    while (seconds < targetSeconds) {
        // What a host's user-interface thread does; may allocate.
        if (random.chance(0.01)) randomProgramOperation(random, effect);
        const std::int32_t frames = randomBlockSize(random);
        block.clear();
        addRandomMidi(random, block, frames, 64);
        {
            MonitoredScope audioThread;
            if (random.chance(0.2)) randomParameterWrites(random, effect);
            if (random.chance(0.02))
                effect->setParameter(effect, random.below(16), anyValue(random));
            if (random.chance(0.005)) dispatch(effect, effSetProgram, 0, random.below(32));
            block.sendTo(effect);
            if (random.chance(0.8))
                effect->processReplacing(effect, nullptr, outputs, frames);
            else
                effect->process(effect, nullptr, outputs, frames);
        }
        seconds += frames / 44100.0;
        calls += 2;
    }
    EXPECT_EQ(monitoredAllocations() - allocationsBefore, 0) << "over " << calls << " calls";
    EXPECT_EQ(monitoredLocks() - locksBefore, 0) << "over " << calls << " calls";
    std::printf("%.1f s of audio, %ld audio-thread calls checked\n", seconds, calls);
    dispatch(effect, effClose);
}

} // namespace
