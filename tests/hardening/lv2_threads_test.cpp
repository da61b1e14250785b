// The LV2 front's threads at once on one instance, loaded through lv2_descriptor. The audio
// thread runs block after block with notes and the control values the host's user interface
// posts; the worker thread loads the tuning files a patch:Set names and replies to the audio
// thread; the main thread moves controls, sets and clears the scale, saves the state while
// run() goes on, and restores it between two runs. scripts/test_steps/35-tsan.sh builds this
// under ThreadSanitizer, which must report no data race; every build checks what the instance
// plays and keeps.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/hardening/host_traffic.h"
#include "tests/hardening/in_process_fronts.h"
#include "tests/hardening/run_length.h"

namespace {

const std::string kJustScale = "! just.scl\nJust intonation, C major\n 7\n 9/8\n 5/4\n 4/3\n 3/2\n"
                               " 5/3\n 15/8\n 2/1\n";

// The scale file, in a folder of the test's own.
class ScaleFile {
  public:
    ScaleFile()
        : folder(std::filesystem::temp_directory_path() /
                 ("ulvo-lv2-threads-" +
                  std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  std::to_string(reinterpret_cast<std::uintptr_t>(this)))) {
        std::filesystem::create_directories(folder);
        std::ofstream(path()) << kJustScale;
    }
    ~ScaleFile() { std::filesystem::remove_all(folder); }
    std::string path() const { return (folder / "just.scl").string(); }

  private:
    std::filesystem::path folder;
};

AudioThreadResult runAudioThread(InProcessLv2& lv2, double seconds,
                                 const std::atomic<long>& mainThreadSteps) {
    AudioThreadResult result;
    Random random(0x1F2);
    std::vector<InProcessLv2::Midi> midi;
    for (double played = 0; played < seconds || mainThreadSteps.load() < kMinMainThreadSteps;) {
        const auto frames = static_cast<std::uint32_t>(1 + random.below(512));
        midi.clear();
        for (int n = random.below(3); n > 0; --n)
            midi.push_back({static_cast<std::uint8_t>(random.chance(0.6) ? 0x90 : 0x80),
                            static_cast<std::uint8_t>(36 + random.below(48)), 100});
        lv2.run(frames, midi);
        result.count(lv2.left, lv2.right, frames);
        played += frames / 44100.0;
    }
    return result;
}

TEST(Lv2Threads, PortsWorkerAndStateAgainstRunPlayAndKeepTheState) {
    const ScaleFile scale;
    InProcessLv2 lv2;
    const LV2_URID scaleText = lv2.map(kStateScaleTextUri);
    const LV2_URID bank = lv2.map(kStateBankUri);

    std::atomic<long> mainThreadSteps{0};
    std::atomic<bool> audioDone{false};
    AudioThreadResult audio;
    std::thread audioThread([&] {
        audio = runAudioThread(lv2, RunLength{20.0, 4.0, 1.0}.pick(), mainThreadSteps);
        audioDone = true;
    });
    Random random(0x5EED);
    InProcessLv2::State saved;
    long savesWithoutBank = 0;
    while (!audioDone) {
        switch (random.below(5)) {
        case 0:
        case 1:
            lv2.writePort(random.below(kControlCount), random.unit());
            break;
        case 2:
            lv2.setPath(kScaleUri, random.chance(0.7) ? scale.path() : std::string());
            break;
        case 3:
            saved = lv2.save();
            if (saved.count(bank) == 0) ++savesWithoutBank;
            break;
        default:
            if (!saved.empty()) lv2.restore(saved);
            break;
        }
        ++mainThreadSteps;
    }
    audioThread.join();

    EXPECT_GT(audio.blocks, 0);
    EXPECT_EQ(audio.notFinite, 0);
    EXPECT_EQ(savesWithoutBank, 0);

    // The scale a patch:Set names is read by the worker and in the state once its reply is in.
    lv2.setPath(kScaleUri, scale.path());
    bool kept = false;
    for (int block = 0; block < 200 && !kept; ++block) {
        lv2.run(64, {});
        kept = lv2.save().count(scaleText) == 1;
        if (!kept) std::this_thread::yield();
    }
    ASSERT_TRUE(kept);
    const InProcessLv2::State withScale = lv2.save();
    EXPECT_EQ(withScale.at(scaleText).first.substr(0, kJustScale.size()), kJustScale);
    // Restored between two runs, a state comes back whole.
    lv2.setPath(kScaleUri, "");
    for (int block = 0; block < 200 && kept; ++block) {
        lv2.run(64, {});
        kept = lv2.save().count(scaleText) == 1;
        if (kept) std::this_thread::yield();
    }
    ASSERT_FALSE(kept);
    lv2.restore(withScale);
    lv2.run(64, {});
    EXPECT_EQ(lv2.save(), withScale);
}

} // namespace
