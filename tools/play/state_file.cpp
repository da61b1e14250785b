#include "tools/play/state_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "synth/bank_text.h"
#include "synth/tuning/tuning_state_text.h"
#include "tools/common/tool_error.h"

namespace {

constexpr std::size_t kLargestState = 1 << 20;

bool wholeBank(const BankRestore& r) {
    return r.recognised && r.programs == kProgramCount && r.currentRestored &&
           (r.skippedLines == 0 || r.newerVersion);
}

// Renames `path` to the first `path`.damaged-N that does not exist; never replaces a file.
std::string moveAside(const std::string& path, std::string& problem) {
    for (int n = 1; n < 1000; ++n) {
        const std::string aside = path + ".damaged-" + std::to_string(n);
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0)
            return aside;
        if (errno != EEXIST) {
            problem = std::strerror(errno);
            return {};
        }
    }
    problem = "too many damaged copies beside it";
    return {};
}

} // namespace

std::string defaultStatePath(const std::string& clientName) {
    std::string file = "state";
    if (clientName != "ulvo-play") {
        file = clientName + ".state";
        std::replace(file.begin(), file.end(), '/', '_');
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return std::string(config) + "/ulvodraw/" + file;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.config/ulvodraw/" + file;
    return {};
}

StateLoad loadState(Instrument& instrument, const std::string& path, TuningSource* tuning) {
    StateLoad load;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return load;
        load.outcome = StateLoad::Outcome::Unreadable;
        load.problem = std::strerror(errno);
        return load;
    }
    std::string bank;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(fd, buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        bank.append(buffer, static_cast<std::size_t>(n));
        if (bank.size() > kLargestState) break; // no bank is this long: damaged
    }
    const int readErrno = errno;
    close(fd);
    if (n < 0) {
        load.outcome = StateLoad::Outcome::Unreadable;
        load.problem = std::strerror(readErrno);
        return load;
    }
    // Tried on a scratch instrument first, so that a damaged file changes nothing.
    auto scratch = std::make_unique<Instrument>();
    if (wholeBank(restoreBankText(*scratch, bank))) {
        restoreBankText(instrument, bank);
        if (tuning != nullptr) {
            // A file that does not parse is left out, as a host leaves out what it cannot read.
            const TuningStateFiles files = readTuningStateLines(bank);
            *tuning = {};
            tuning->setScale(files.scale);
            tuning->setKeymap(files.keymap);
        }
        load.outcome = StateLoad::Outcome::Restored;
        return load;
    }
    load.outcome = StateLoad::Outcome::Damaged;
    load.keptAs = moveAside(path, load.problem);
    return load;
}

void saveState(const Instrument& instrument, const std::string& path, const TuningSource* tuning) {
    const std::filesystem::path target(path);
    std::error_code error;
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), error);
    if (error)
        throw ToolError("cannot create " + target.parent_path().string() + ": " + error.message());
    const std::string text =
        writeBankText(instrument, tuning != nullptr ? tuningStateLines(*tuning) : std::string());
    const std::string temporary = path + ".tmp-" + std::to_string(getpid());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw ToolError("cannot write " + temporary + ": " + std::strerror(errno));
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    const int savedErrno = errno;
    const bool complete = written == text.size() && fsync(fd) == 0;
    close(fd);
    if (!complete || std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(complete ? errno : savedErrno);
        unlink(temporary.c_str());
        throw ToolError("cannot save the state to " + path + ": " + reason);
    }
}
