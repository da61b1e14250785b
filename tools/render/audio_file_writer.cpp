#include "tools/render/audio_file_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sndfile.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/render/render_error.h"

namespace {

bool endsWith(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, suffix) == 0;
}

int containerOf(const std::string& path) {
    if (endsWith(path, ".wav")) return SF_FORMAT_WAV;
    if (endsWith(path, ".flac")) return SF_FORMAT_FLAC;
    throw RenderError("the output file '" + path + "' must end in .wav or .flac");
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

} // namespace

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
                                 SampleFormat format)
    : finalPath(path), channelCount(channels) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = containerOf(path) | encodingOf(format);
    if (!sf_format_check(&info))
        throw RenderError(std::string("a ") + (endsWith(path, ".flac") ? "FLAC" : "WAV") +
                          " file cannot hold " + sampleFormatName(format) + " samples" +
                          (channels > 8 ? " in " + std::to_string(channels) + " channels" : ""));

    // The temporary file sits beside the final one, so that the rename never crosses devices.
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = folder + "." + name + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) throw RenderError("cannot write '" + path + "': " + std::strerror(errno));
    tempPath = pattern;
    SNDFILE* handle = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (handle == nullptr) {
        const std::string why = sf_strerror(nullptr);
        close(fd);
        std::remove(tempPath.c_str());
        throw RenderError("cannot write '" + path + "': " + why);
    }
    file = handle;
    // Integer formats clip what lies beyond full scale instead of wrapping around.
    sf_command(handle, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

AudioFileWriter::~AudioFileWriter() {
    if (file != nullptr) sf_close(static_cast<SNDFILE*>(file));
    if (!committed && !tempPath.empty()) std::remove(tempPath.c_str());
}

void AudioFileWriter::write(const float* const* channels, std::int32_t frames) {
    const auto needed = static_cast<std::size_t>(frames) * static_cast<std::size_t>(channelCount);
    if (interleaved.size() < needed) interleaved.resize(needed);
    for (std::int32_t i = 0; i < frames; ++i)
        for (std::int32_t c = 0; c < channelCount; ++c)
            interleaved[static_cast<std::size_t>(i) * channelCount + c] = channels[c][i];
    auto* handle = static_cast<SNDFILE*>(file);
    if (sf_writef_float(handle, interleaved.data(), frames) != frames)
        throw RenderError("cannot write '" + finalPath + "': " + sf_strerror(handle));
}

void AudioFileWriter::commit() {
    auto* handle = static_cast<SNDFILE*>(file);
    sf_write_sync(handle);
    file = nullptr;
    if (sf_close(handle) != 0) throw RenderError("cannot finish '" + finalPath + "'");
    // mkstemp made the file readable by its owner only; give it the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(tempPath.c_str(), 0666 & ~mask);
    if (std::rename(tempPath.c_str(), finalPath.c_str()) != 0)
        throw RenderError("cannot write '" + finalPath + "': " + std::strerror(errno));
    committed = true;
}
