// Bytes the process holds on the heap and in resident memory, for tests that look for growth.
#pragma once

#include <cstddef>
#include <cstdio>

#include <malloc.h>

#include "tests/hardening/sanitizers.h"

#if defined(ULVO_WITH_ASAN)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

// Heap bytes in use: the sanitizer's count under AddressSanitizer, glibc's otherwise.
inline long heapBytesInUse() {
#if defined(ULVO_WITH_ASAN)
    return static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>(info.uordblks + info.hblkhd);
#endif
}

// Resident set size in bytes, from /proc; 0 when it cannot be read.
inline long residentBytes() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * 4096;
}
