#include "tools/render/progress_bar.h"

#include <algorithm>
#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int kWidestBar = 30;
constexpr int kNarrowestBar = 5;
constexpr int kUnknownColumns = 80;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

int columnsOf(int fd) {
    winsize size{};
    if (ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return kUnknownColumns;
    return size.ws_col;
}

} // namespace

std::string progressLine(std::int64_t done, std::int64_t total, std::int32_t rate, int columns) {
    const int room = columns - 1;
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(done * 100 / total));
    char times[64];
    std::snprintf(times, sizeof times, "  %.1f / %.1f s", static_cast<double>(done) / rate,
                  static_cast<double>(total) / rate);
    std::string text = percent;
    if (static_cast<int>(text.size() + std::string(times).size()) <= room) text += times;
    const int barWidth = std::min(kWidestBar, room - static_cast<int>(text.size()) - 3);
    if (barWidth >= kNarrowestBar) {
        const auto filled = static_cast<int>(done * barWidth / total);
        std::string bar(static_cast<std::size_t>(barWidth) + 3, ' ');
        bar.front() = '[';
        std::fill_n(bar.begin() + 1, filled, '#');
        std::fill(bar.begin() + 1 + filled, bar.end() - 2, '-');
        bar[bar.size() - 2] = ']';
        text = bar + text;
    }
    return static_cast<int>(text.size()) <= room ? text : std::string();
}

ProgressBar::ProgressBar(std::int64_t totalFrames, std::int32_t rate, int fd)
    : total(totalFrames), rate(rate), fd(fd), enabled(isatty(fd) != 0) {}

ProgressBar::~ProgressBar() {
    finish();
}

void ProgressBar::update(std::int64_t done) {
    if (!enabled || total <= 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (drawn && now - lastDraw < kRedrawInterval && done < total) return;
    lastDraw = now;
    drawn = true;
    // "\033[K" clears what a longer line drawn before a resize left to the right.
    std::string line = "\r";
    line += progressLine(done, total, rate, columnsOf(fd));
    line += "\033[K";
    put(line);
}

void ProgressBar::finish() {
    if (!drawn) return;
    put("\r\033[K");
    drawn = false;
}

void ProgressBar::put(const std::string& text) const {
    // Best effort: a bar that cannot be drawn is no reason to stop the render.
    [[maybe_unused]] const ssize_t written = ::write(fd, text.data(), text.size());
}
