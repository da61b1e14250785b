#include "synth/tuning/text_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

TextFile readTextFile(const std::string& path) {
    TextFile file;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(std::fopen(path.c_str(), "rb"),
                                                                 &std::fclose);
    if (!stream) {
        file.error = path + ": cannot be opened: " + std::strerror(errno);
        return file;
    }
    char buffer[4096];
    std::size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, stream.get())) > 0) {
        if (file.text.size() + read > kMaxTuningFileBytes) {
            file.text.clear();
            file.error = path + ": larger than " + std::to_string(kMaxTuningFileBytes) +
                         " bytes, not a tuning file";
            return file;
        }
        file.text.append(buffer, read);
    }
    if (std::ferror(stream.get())) {
        file.text.clear();
        file.error = path + ": cannot be read: " + std::strerror(errno);
    }
    return file;
}
