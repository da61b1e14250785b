// The output file: RF64 exactly when a WAV would pass 4 GiB, written in large pieces whatever
// the block size, and under its final name only when complete and still wanted.
#include <gtest/gtest.h>

#include <fstream>
#include <sndfile.h>

#include "tests/tools/render_run.h"
#include "tools/render/audio_file_writer.h"

namespace {

constexpr std::int64_t kRate = 44100;

// Writes 2000 frames of a ramp in blocks of `block` frames, announcing `announced` frames.
bool writeRamp(const std::string& path, std::int64_t announced, int block,
               const std::atomic<bool>* stop = nullptr) {
    AudioFileWriter writer(path, 2, kRate, SampleFormat::Int24, announced);
    for (int start = 0; start < 2000; start += block) {
        std::vector<float> left(static_cast<std::size_t>(block)), right(left.size());
        for (int i = 0; i < block; ++i)
            right[i] = -(left[i] = static_cast<float>(start + i) / 2000.0f);
        const float* channels[] = {left.data(), right.data()};
        writer.write(channels, block);
    }
    return writer.commit(stop);
}

// Write calls this process has made so far.
long writeCalls() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long value = -1;
    while (io >> key >> value && key != "syscw:") {
    }
    return value;
}

} // namespace

TEST(AudioFileWriter, RF64PastFourGigabytesLargeWritesAndNoFileWhenStopped) {
    // 24-bit stereo is 6 bytes a frame: 3 hours fit in 4 GiB, the 4.6 hours of a long piece not.
    const std::int64_t longPiece = 46 * 360 * kRate;
    EXPECT_FALSE(needsRf64(3 * 3600 * kRate, 2, SampleFormat::Int24));
    EXPECT_TRUE(needsRf64(longPiece, 2, SampleFormat::Int24));
    EXPECT_FALSE(needsRf64(longPiece, 1, SampleFormat::Int16));

    // The choice follows the announced length; either file reads back whole. One-frame blocks
    // reach the disk in a few large writes.
    TempFolder folder;
    for (const std::int64_t announced : {std::int64_t{2000}, longPiece}) {
        const long before = writeCalls();
        ASSERT_GE(before, 0);
        ASSERT_TRUE(writeRamp(folder.path("out.wav"), announced, 1));
        EXPECT_LT(writeCalls() - before, 20);
        const Audio audio = readAudio(folder.path("out.wav"));
        EXPECT_EQ(audio.format & SF_FORMAT_TYPEMASK,
                  announced == longPiece ? SF_FORMAT_RF64 : SF_FORMAT_WAV);
        ASSERT_EQ(audio.frames(), 2000u);
        EXPECT_NEAR(audio.channels[1][1999], -0.9995, 1e-6);
    }
    ASSERT_TRUE(writeRamp(folder.path("out.flac"), longPiece, 500));
    EXPECT_EQ(readAudio(folder.path("out.flac")).format & SF_FORMAT_TYPEMASK, SF_FORMAT_FLAC);

    // Stopped after the last write: the older file (the RF64 one) stays, and nothing else is left.
    const std::atomic<bool> stop{true};
    EXPECT_FALSE(writeRamp(folder.path("out.wav"), 2000, 500, &stop));
    EXPECT_EQ(folder.fileSet(), (std::set<std::string>{"out.wav", "out.flac"}));
    EXPECT_EQ(readAudio(folder.path("out.wav")).format & SF_FORMAT_TYPEMASK, SF_FORMAT_RF64);
}
