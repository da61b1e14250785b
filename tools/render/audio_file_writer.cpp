#include "tools/render/audio_file_writer.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sndfile.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/common/tool_error.h"

namespace {

// Frames gathered before a write: large enough that one-frame blocks cost no more than others.
constexpr std::size_t kBufferFrames = 16384;

// Room left for the header and its chunks below the 4 GiB that a RIFF size counts.
constexpr std::uint64_t kLargestPlainWavData = 0xFFFFFFFFu - 65536u;

bool endsWith(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, suffix) == 0;
}

int bytesPerSample(SampleFormat format) {
    switch (format) {
    case SampleFormat::Int16:
        return 2;
    case SampleFormat::Int24:
        return 3;
    case SampleFormat::Float32:
        return 4;
    }
    return 4;
}

int containerOf(const std::string& path, bool large) {
    if (endsWith(path, ".wav")) return large ? SF_FORMAT_RF64 : SF_FORMAT_WAV;
    if (endsWith(path, ".flac")) return SF_FORMAT_FLAC;
    throw ToolError("the output file '" + path + "' must end in .wav or .flac");
}

int encodingOf(SampleFormat format) {
    switch (format) {
    case SampleFormat::Int16:
        return SF_FORMAT_PCM_16;
    case SampleFormat::Int24:
        return SF_FORMAT_PCM_24;
    case SampleFormat::Float32:
        return SF_FORMAT_FLOAT;
    }
    return SF_FORMAT_PCM_24;
}

// Every signal held back for its lifetime, so that a rename is done or not done when one comes.
class SignalsHeld {
  public:
    SignalsHeld() {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &previous);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t previous;
};

// libsndfile's reason without its decoration: "File too large", not "System error : File too
// large.".
std::string reasonOf(SNDFILE* handle) {
    std::string reason = sf_strerror(handle);
    const std::string decoration = "System error : ";
    if (reason.rfind(decoration, 0) == 0) reason.erase(0, decoration.size());
    if (!reason.empty() && reason.back() == '.') reason.pop_back();
    return reason;
}

} // namespace

bool holdsFloat(const std::string& path) {
    return !endsWith(path, ".flac");
}

void checkOutputType(const std::string& path, SampleFormat format) {
    containerOf(path, false);
    if (format == SampleFormat::Float32 && !holdsFloat(path))
        throw ToolError("a FLAC file cannot hold 32-bit float samples; give --bit-depth 16 or 24, "
                        "or write a .wav file");
}

bool needsRf64(std::int64_t frames, std::int32_t channels, SampleFormat format) {
    const auto bytes = static_cast<std::uint64_t>(frames) * static_cast<std::uint64_t>(channels) *
                       static_cast<std::uint64_t>(bytesPerSample(format));
    return bytes > kLargestPlainWavData;
}

const char* sampleFormatName(SampleFormat format) {
    switch (format) {
    case SampleFormat::Int16:
        return "16-bit";
    case SampleFormat::Int24:
        return "24-bit";
    case SampleFormat::Float32:
        return "32-bit float";
    }
    return "";
}

AudioFileWriter::AudioFileWriter(const std::string& path, std::int32_t channels, std::int32_t rate,
                                 SampleFormat format, std::int64_t frames)
    : finalPath(path), channelCount(channels) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = containerOf(path, needsRf64(frames, channels, format)) | encodingOf(format);
    if (!sf_format_check(&info))
        throw ToolError(std::string("a ") + (endsWith(path, ".flac") ? "FLAC" : "WAV") +
                        " file cannot hold " + sampleFormatName(format) + " samples" +
                        (channels > 8 ? " in " + std::to_string(channels) + " channels" : ""));

    // The temporary file sits beside the final one, so that the rename never crosses devices.
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = folder + "." + name + ".XXXXXX";
    descriptor = mkstemp(pattern.data());
    if (descriptor < 0) throw ToolError("cannot write '" + path + "': " + std::strerror(errno));
    tempPath = pattern;
    // The descriptor stays ours, so that its last errors can be read when the file is finished.
    SNDFILE* handle = sf_open_fd(descriptor, SFM_WRITE, &info, SF_FALSE);
    if (handle == nullptr) {
        const std::string why = reasonOf(nullptr);
        close(descriptor);
        std::remove(tempPath.c_str());
        fail(why);
    }
    file = handle;
    // Integer formats clip what lies beyond full scale instead of wrapping around.
    sf_command(handle, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // Float WAV files would carry a PEAK chunk with the time of writing.
    sf_command(handle, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    interleaved.resize(kBufferFrames * static_cast<std::size_t>(channels));
}

AudioFileWriter::~AudioFileWriter() {
    if (file != nullptr) sf_close(static_cast<SNDFILE*>(file));
    if (descriptor >= 0) close(descriptor);
    if (!committed && !tempPath.empty()) std::remove(tempPath.c_str());
}

void AudioFileWriter::fail(const std::string& why) const {
    throw ToolError("cannot write '" + finalPath + "': " + why);
}

void AudioFileWriter::write(const float* const* channels, std::int32_t frames) {
    const auto count = static_cast<std::size_t>(channelCount);
    for (std::int32_t i = 0; i < frames; ++i) {
        for (std::size_t c = 0; c < count; ++c)
            interleaved[buffered + c] = channels[c][i];
        buffered += count;
        if (buffered == interleaved.size()) flush();
    }
}

void AudioFileWriter::flush() {
    auto* handle = static_cast<SNDFILE*>(file);
    const auto frames = static_cast<sf_count_t>(buffered / static_cast<std::size_t>(channelCount));
    buffered = 0;
    if (sf_writef_float(handle, interleaved.data(), frames) != frames) fail(reasonOf(handle));
}

bool AudioFileWriter::commit(const std::atomic<bool>* stop) {
    if (buffered > 0) flush();
    auto* handle = static_cast<SNDFILE*>(file);
    file = nullptr;
    if (sf_close(handle) != 0) fail("the file cannot be finished");
    // A full disk may show only now, on file systems that allocate late.
    if (fsync(descriptor) != 0) fail(std::strerror(errno));
    const int closed = close(descriptor);
    descriptor = -1;
    if (closed != 0) fail(std::strerror(errno));
    // mkstemp made the file readable by its owner only; give it the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(tempPath.c_str(), 0666 & ~mask);
    const SignalsHeld held;
    if (stop != nullptr && stop->load(std::memory_order_relaxed)) return false;
    if (std::rename(tempPath.c_str(), finalPath.c_str()) != 0) fail(std::strerror(errno));
    committed = true;
    return true;
}
