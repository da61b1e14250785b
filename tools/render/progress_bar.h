// A one-line progress bar on standard error, redrawn at most ten times a second.
#pragma once

#include <chrono>
#include <cstdint>

class ProgressBar {
  public:
    // Draws nothing unless `enabled` (standard error is a terminal).
    ProgressBar(std::int64_t totalFrames, std::int32_t rate, bool enabled);
    ~ProgressBar();

    void update(std::int64_t framesDone);
    // Erases the bar, leaving the line free for what follows.
    void finish();

  private:
    std::int64_t total;
    std::int32_t rate;
    bool enabled;
    bool drawn = false;
    std::chrono::steady_clock::time_point lastDraw{};
};
