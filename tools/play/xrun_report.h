// The xruns the server reports, told on standard error at most once a second: a busy machine
// misses many periods a minute, and a line for each would bury everything else.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

class XrunReport {
  public:
    using Clock = std::chrono::steady_clock;

    // [main thread] Adds `count` xruns seen by `now`; writes a line with every xrun not yet told
    // unless the last line is less than a second old.
    void add(std::uint32_t count, Clock::time_point now);
    // [main thread, at the end] Writes a line with the xruns not yet told, if any.
    void flush();

  private:
    std::uint64_t untold = 0;
    std::optional<Clock::time_point> lastLine;
};
