// Which sanitizer, if any, the test binary was built with; tests shorten or adapt by it.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define ULVO_WITH_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ULVO_WITH_ASAN 1
#endif
#endif

#if defined(__SANITIZE_THREAD__)
#define ULVO_WITH_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ULVO_WITH_TSAN 1
#endif
#endif

#if defined(ULVO_WITH_ASAN)
#include <sanitizer/asan_interface.h>
#endif

constexpr bool kBuiltWithAsan =
#if defined(ULVO_WITH_ASAN)
    true;
#else
    false;
#endif

constexpr bool kBuiltWithTsan =
#if defined(ULVO_WITH_TSAN)
    true;
#else
    false;
#endif

// Marks memory that nothing may touch; under AddressSanitizer any access is reported at once.
inline void poisonMemory(const void* address, unsigned long size) {
#if defined(ULVO_WITH_ASAN)
    ASAN_POISON_MEMORY_REGION(address, size);
#else
    (void)address;
    (void)size;
#endif
}

inline void unpoisonMemory(const void* address, unsigned long size) {
#if defined(ULVO_WITH_ASAN)
    ASAN_UNPOISON_MEMORY_REGION(address, size);
#else
    (void)address;
    (void)size;
#endif
}
