#include "tools/render/input_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "host/file_kind.h"
#include "tools/common/tool_error.h"

namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd(fd) {}
    ~FileDescriptor() { close(fd); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd; }

  private:
    int fd;
};

[[noreturn]] void fail(const std::string& path, const char* what) {
    throw ToolError("cannot " + std::string(what) + " '" + path + "': " + std::strerror(errno));
}

void requireRegular(const std::string& path, const struct stat& info, std::size_t maxBytes) {
    if (!S_ISREG(info.st_mode))
        throw ToolError("'" + path + "' is " + fileKindName(info.st_mode) + ", not a MIDI file");
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes)
        throw ToolError("'" + path + "' is too large to be a MIDI file (" +
                        std::to_string(info.st_size) + " bytes, at most " +
                        std::to_string(maxBytes) + ")");
}

} // namespace

std::vector<std::uint8_t> readInputFile(const std::string& path, std::size_t maxBytes) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) fail(path, "open");
    requireRegular(path, info, maxBytes);
    // Non-blocking in case the name was replaced by a pipe since; checked again once open.
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) fail(path, "open");
    if (fstat(file.get(), &info) != 0) fail(path, "read");
    requireRegular(path, info, maxBytes);

    // Read to the end, whatever the size said: the file may have changed in between.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > maxBytes)
                throw ToolError("'" + path + "' is too large to be a MIDI file");
            bytes.resize(std::min(bytes.size() * 2, maxBytes + 1));
        }
        const ssize_t n = read(file.get(), bytes.data() + filled, bytes.size() - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail(path, "read");
        if (n == 0) break;
        filled += static_cast<std::size_t>(n);
    }
    bytes.resize(filled);
    return bytes;
}
