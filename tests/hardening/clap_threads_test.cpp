// The CLAP front's two threads at once on one instance, loaded through clap_entry. The audio
// thread processes block after block with notes and parameter events. The main thread does what
// a host and its user do meanwhile: reads every parameter and its text, moves controls in the
// open editor, runs the editor's timer and the calls the audio thread asked for, and saves and
// loads the state. scripts/test_steps/35-tsan.sh builds this under ThreadSanitizer, which must
// report no data race; every build checks what the instance plays and keeps.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>

#include "plugin/clap/clap_instance.h"
#include "tests/hardening/host_traffic.h"
#include "tests/hardening/in_process_fronts.h"
#include "tests/hardening/run_length.h"

namespace {

// A value within control `index`'s range, a whole number for a stepped one, as the host and the
// editor send.
float valueInRange(Random& random, std::int32_t index) {
    const ControlRange& range = kControlRanges[index];
    const float value = range.minimum + random.unit() * (range.maximum - range.minimum);
    return range.kind == ValueKind::Continuous ? value : std::round(value);
}

AudioThreadResult runAudioThread(InProcessClap& clap, double seconds,
                                 const std::atomic<long>& mainThreadSteps) {
    AudioThreadResult result;
    Random random(0xC1A9);
    ClapEventList events;
    clap.instance.startProcessing();
    for (double played = 0; played < seconds || mainThreadSteps.load() < kMinMainThreadSteps;) {
        const auto frames = static_cast<std::uint32_t>(1 + random.below(512));
        events.clear();
        for (int n = random.below(4); n > 0; --n)
            events.note(random.chance(0.6) ? clap::kEventNoteOn : clap::kEventNoteOff, 0, -1,
                        static_cast<std::int16_t>(36 + random.below(48)), 0.8);
        if (random.chance(0.2)) {
            const std::int32_t index = random.below(kControlCount);
            events.param(0, static_cast<clap::Id>(index), valueInRange(random, index));
        }
        clap.process(frames, events);
        result.count(clap.left, clap.right, frames);
        played += frames / 44100.0;
    }
    clap.instance.stopProcessing();
    return result;
}

// One thing the main thread does while the audio thread plays.
void mainThreadStep(Random& random, InProcessClap& clap, std::string& saved, long& loadsFailed) {
    char text[64];
    switch (random.below(6)) {
    case 0:
        for (clap::Id id = 0; id < static_cast<clap::Id>(kControlCount); ++id) {
            double value = 0;
            clap.instance.params->getValue(clap.instance.plugin, id, &value);
            clap.instance.params->valueToText(clap.instance.plugin, id, value, text, sizeof text);
        }
        break;
    case 1: { // the user moves a control of the editor, which its link hands to the instance
        const std::int32_t index = random.below(kControlCount);
        ClapInstance::of(clap.instance.plugin)->editorWrite(index, valueInRange(random, index));
        break;
    }
    case 2:
        clap.instance.runTimers();
        break;
    case 3:
        clap.instance.runRequestedCallback();
        break;
    case 4:
        saved = clap.instance.save();
        break;
    default:
        if (!saved.empty() && !clap.instance.load(saved)) ++loadsFailed;
        break;
    }
}

TEST(ClapThreads, MainThreadAgainstProcessPlaysAndKeepsTheState) {
    InProcessClap clap;
    ASSERT_NE(clap.instance.plugin, nullptr);
    ASSERT_NE(clap.instance.gui, nullptr);
    ASSERT_TRUE(clap.instance.gui->create(clap.instance.plugin, clap::kWindowApiX11, false));
    clap::Window parent{};
    parent.api = clap::kWindowApiX11;
    ASSERT_TRUE(clap.instance.gui->setParent(clap.instance.plugin, &parent));
    ASSERT_TRUE(clap.instance.activate(44100.0, 4096));

    std::atomic<long> mainThreadSteps{0};
    const double seconds = RunLength{20.0, 4.0, 1.0}.pick();
    AudioThreadResult audio;
    std::atomic<bool> audioDone{false};
    std::thread audioThread([&] {
        audio = runAudioThread(clap, seconds, mainThreadSteps);
        audioDone = true;
    });
    Random random(0x5EED);
    std::string saved;
    long loadsFailed = 0;
    while (!audioDone) {
        mainThreadStep(random, clap, saved, loadsFailed);
        ++mainThreadSteps;
    }
    audioThread.join();

    EXPECT_GT(audio.blocks, 0);
    EXPECT_EQ(audio.notFinite, 0);
    EXPECT_EQ(loadsFailed, 0);
    EXPECT_GT(clap.instance.log().eventsSent.load(),
              0); // the editor's moves, told to the host by process

    // A state loaded while active reaches the sound at the next block, and the editor's
    // timer then shows it: the parameters read back the loaded values.
    const std::string kept = clap.instance.save();
    ASSERT_FALSE(kept.empty());
    ClapInstance::of(clap.instance.plugin)->editorWrite(CutOff, 0.93f);
    ClapEventList none;
    clap.instance.startProcessing();
    clap.process(64, none);
    double cutoff = 0;
    ASSERT_TRUE(clap.instance.params->getValue(clap.instance.plugin, CutOff, &cutoff));
    EXPECT_FLOAT_EQ(static_cast<float>(cutoff), 0.93f);
    ASSERT_TRUE(clap.instance.load(kept));
    clap.process(64, none);
    clap.instance.runTimers();
    clap.instance.runRequestedCallback();
    EXPECT_EQ(clap.instance.save(), kept);
    clap.instance.stopProcessing();
    clap.instance.deactivate();
    clap.instance.gui->destroy(clap.instance.plugin);
}

} // namespace
