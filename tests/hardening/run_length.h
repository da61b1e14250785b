// How much of a long test to run. Plain builds run it in full. Sanitizer builds run several times
// slower and run a shorter stretch of the same random session; ULVO_SHORT_RUN=1 (set by the
// valgrind step, where everything runs some fifty times slower) runs a few seconds of it.
#pragma once

#include <cstdlib>
#include <cstring>

#include "tests/hardening/sanitizers.h"

struct RunLength {
    double full, sanitized, shortRun;

    double pick() const {
        const char* shortValue = std::getenv("ULVO_SHORT_RUN");
        if (shortValue != nullptr && std::strcmp(shortValue, "1") == 0) return shortRun;
        return kBuiltWithAsan || kBuiltWithTsan ? sanitized : full;
    }
};
