// The output file: RF64 exactly when a WAV would pass 4 GiB, written in large pieces whatever
// the block size, and under its final name only when complete and wanted.
#include <gtest/gtest.h>

#include <fstream>
#include <sndfile.h>

#include "tests/tools/render_run.h"
#include "tools/render/audio_file_writer.h"

namespace {

constexpr std::int64_t kRate = 44100;

// Writes `blocks` blocks of `frames` frames of a ramp to `path`, announcing `announced` frames.
bool writeRamp(const std::string& path, std::int64_t announced, int blocks, int frames,
               const std::atomic<bool>* stop = nullptr) {
    AudioFileWriter writer(path, 2, kRate, SampleFormat::Int24, announced);
    std::vector<float> left(static_cast<std::size_t>(frames)), right(left.size());
    for (int b = 0; b < blocks; ++b) {
        for (int i = 0; i < frames; ++i) {
            left[i] = static_cast<float>((b * frames + i) % 1000) / 1000.0f;
            right[i] = -left[i];
        }
        const float* channels[] = {left.data(), right.data()};
        writer.write(channels, frames);
    }
    return writer.commit(stop);
}

// Write calls this process has made so far.
long writeCalls() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long value = 0;
    while (io >> key >> value)
        if (key == "syscw:") return value;
    return -1;
}

} // namespace

TEST(AudioFileWriter, AWavThatWouldPassFourGigabytesIsRf64FromTheStart) {
    // 24-bit stereo is 6 bytes a frame: 3 hours fit in 4 GiB, the 4.6 hours of a long piece not.
    const std::int64_t threeHours = 3 * 3600 * kRate;
    const std::int64_t longPiece = 46 * 360 * kRate;
    EXPECT_FALSE(needsRf64(threeHours, 2, SampleFormat::Int24));
    EXPECT_TRUE(needsRf64(longPiece, 2, SampleFormat::Int24));
    EXPECT_FALSE(needsRf64(longPiece, 1, SampleFormat::Int16));
    EXPECT_TRUE(needsRf64(std::int64_t{1} << 31, 1, SampleFormat::Int16));

    // The choice is made on the announced length; the file itself is read back whole either way.
    TempFolder folder;
    for (const std::int64_t announced : {std::int64_t{2000}, longPiece}) {
        ASSERT_TRUE(writeRamp(folder.path("out.wav"), announced, 4, 500));
        const Audio audio = readAudio(folder.path("out.wav"));
        EXPECT_EQ(audio.format & SF_FORMAT_TYPEMASK,
                  announced == longPiece ? SF_FORMAT_RF64 : SF_FORMAT_WAV);
        ASSERT_EQ(audio.frames(), 2000u);
        EXPECT_NEAR(audio.channels[0][1999], 0.999, 1e-6);
        EXPECT_NEAR(audio.channels[1][1999], -0.999, 1e-6);
    }
    ASSERT_TRUE(writeRamp(folder.path("out.flac"), longPiece, 4, 500));
    EXPECT_EQ(readAudio(folder.path("out.flac")).format & SF_FORMAT_TYPEMASK, SF_FORMAT_FLAC);
}

TEST(AudioFileWriter, OneFrameBlocksAreWrittenInLargePieces) {
    TempFolder folder;
    const long before = writeCalls();
    ASSERT_GE(before, 0);
    ASSERT_TRUE(writeRamp(folder.path("out.wav"), 100000, 100000, 1));
    // 600 kB in pieces of tens of kilobytes, not one call per frame.
    EXPECT_LT(writeCalls() - before, 100);
    const Audio audio = readAudio(folder.path("out.wav"));
    ASSERT_EQ(audio.frames(), 100000u);
    EXPECT_NEAR(audio.channels[0][99999], 0.999, 1e-6);
}

TEST(AudioFileWriter, AStopBeforeTheRenameKeepsTheOlderFileAndLeavesNothing) {
    TempFolder folder;
    std::ofstream(folder.path("out.wav")) << "the take we keep";
    const std::atomic<bool> stop{true};
    EXPECT_FALSE(writeRamp(folder.path("out.wav"), 2000, 4, 500, &stop));
    EXPECT_EQ(folder.files(), std::vector<std::string>{"out.wav"});
    EXPECT_EQ(slurp(folder.path("out.wav")), "the take we keep");
}
