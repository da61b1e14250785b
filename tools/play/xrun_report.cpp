#include "tools/play/xrun_report.h"

#include <cstdio>

void XrunReport::add(std::uint32_t count, Clock::time_point now) {
    untold += count;
    if (untold == 0 || (lastLine && now - *lastLine < std::chrono::seconds(1))) return;
    flush();
    lastLine = now;
}

void XrunReport::flush() {
    if (untold == 0) return;
    std::fprintf(stderr, "ulvo-play: xrun: the server missed %llu period%s\n",
                 static_cast<unsigned long long>(untold), untold == 1 ? "" : "s");
    untold = 0;
}
