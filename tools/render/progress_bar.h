// A one-line progress bar on a terminal, redrawn at most ten times a second and fitted to the
// terminal's width at every redraw, so that it never wraps, even after a resize.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

class ProgressBar {
  public:
    // Draws on `fd`, and nothing at all unless `fd` is a terminal.
    ProgressBar(std::int64_t totalFrames, std::int32_t rate, int fd);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(std::int64_t framesDone);
    // Erases the bar, leaving the line free for what follows.
    void finish();

  private:
    void put(const std::string& text) const;

    std::int64_t total;
    std::int32_t rate;
    int fd;
    bool enabled;
    bool drawn = false;
    std::chrono::steady_clock::time_point lastDraw{};
};

// The bar's text for `done` of `total` frames, shorter than `columns` so that the cursor never
// reaches the last column: "[#####-----]  50%  1.0 / 2.0 s", with less of it when narrow.
std::string progressLine(std::int64_t done, std::int64_t total, std::int32_t rate, int columns);
