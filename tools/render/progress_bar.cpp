#include "tools/render/progress_bar.h"

#include <cstdio>

namespace {
constexpr int kBarWidth = 30;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
} // namespace

ProgressBar::ProgressBar(std::int64_t totalFrames, std::int32_t rate, bool enabled)
    : total(totalFrames), rate(rate), enabled(enabled) {}

ProgressBar::~ProgressBar() {
    finish();
}

void ProgressBar::update(std::int64_t done) {
    if (!enabled || total <= 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (drawn && now - lastDraw < kRedrawInterval && done < total) return;
    lastDraw = now;
    drawn = true;
    const std::int64_t filled = done * kBarWidth / total;
    const std::int64_t percent = done * 100 / total;
    char bar[kBarWidth + 1];
    for (int i = 0; i < kBarWidth; ++i)
        bar[i] = i < filled ? '#' : '-';
    bar[kBarWidth] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%  %.1f / %.1f s", bar, static_cast<int>(percent),
                 static_cast<double>(done) / rate, static_cast<double>(total) / rate);
    std::fflush(stderr);
}

void ProgressBar::finish() {
    if (!drawn) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    drawn = false;
}
