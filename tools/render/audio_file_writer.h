// Writes a render to a WAV or FLAC file through libsndfile. The samples go to a temporary file
// in the same folder, renamed to the final name only when everything is written, so that a
// failed or interrupted render never leaves a partial file behind. The same render always gives
// the same bytes: no timestamp is written.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

enum class SampleFormat { Int16, Int24, Float32 };

class AudioFileWriter {
  public:
    // Creates the temporary file for a render of `frames` frames, known in advance so that a WAV
    // file too large for its 32-bit sizes is written as RF64 from the start. Throws ToolError
    // when `path` does not end in .wav or .flac, the format cannot hold `format`, or the folder
    // cannot be written.
    AudioFileWriter(const std::string& path, std::int32_t channels, std::int32_t rate,
                    SampleFormat format, std::int64_t frames);
    // Removes the temporary file unless commit() succeeded.
    ~AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    // Appends `frames` frames, one buffer per channel. They are gathered and written in large
    // pieces, whatever the block size. Throws ToolError when the disk is full or the file
    // grows past the size limit.
    void write(const float* const* channels, std::int32_t frames);
    // Finishes the file and gives it its final name, unless `stop` is set by then: the name
    // holds either the whole new file or what it held before. Returns false when stopped.
    // Throws ToolError.
    bool commit(const std::atomic<bool>* stop = nullptr);

  private:
    void flush();
    [[noreturn]] void fail(const std::string& why) const;

    std::string finalPath;
    std::string tempPath;
    int descriptor = -1;
    void* file = nullptr; // SNDFILE
    std::int32_t channelCount;
    std::vector<float> interleaved; // frames not yet written
    std::size_t buffered = 0;       // samples in `interleaved`
    bool committed = false;
};

// Whether the file type that `path` names holds 32-bit float samples: WAV does, FLAC does not.
bool holdsFloat(const std::string& path);

// Throws ToolError when `path` does not end in .wav or .flac, or names a FLAC file for 32-bit
// float samples: what the command line alone tells, before anything is loaded.
void checkOutputType(const std::string& path, SampleFormat format);

// Whether a WAV file of `frames` frames passes the 4 GiB that its 32-bit sizes can count.
bool needsRf64(std::int64_t frames, std::int32_t channels, SampleFormat format);

// The format's bits per sample as the summary names it: "16-bit", "24-bit", "32-bit float".
const char* sampleFormatName(SampleFormat format);
