// Writes a render to a WAV or FLAC file through libsndfile. The samples go to a temporary file
// in the same folder, renamed to the final name only when everything is written, so that a
// failed or interrupted render never leaves a partial file behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class SampleFormat { Int16, Int24, Float32 };

class AudioFileWriter {
  public:
    // Creates the temporary file. Throws RenderError when `path` does not end in .wav or .flac,
    // the format cannot hold `format`, or the folder cannot be written.
    AudioFileWriter(const std::string& path, std::int32_t channels, std::int32_t rate,
                    SampleFormat format);
    // Removes the temporary file unless commit() succeeded.
    ~AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    // Appends `frames` frames, one buffer per channel. Throws RenderError.
    void write(const float* const* channels, std::int32_t frames);
    // Finishes the file and gives it its final name. Throws RenderError.
    void commit();

  private:
    std::string finalPath;
    std::string tempPath;
    void* file = nullptr; // SNDFILE
    std::int32_t channelCount;
    std::vector<float> interleaved;
    bool committed = false;
};

// The format's bits per sample as the summary names it: "16-bit", "24-bit", "32-bit float".
const char* sampleFormatName(SampleFormat format);
