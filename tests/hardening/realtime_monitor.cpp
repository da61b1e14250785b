#include "tests/hardening/realtime_monitor.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <new>

#include <dlfcn.h>
#include <malloc.h>
#include <pthread.h>

#include "tests/hardening/sanitizers.h"

namespace {

// Plain thread-local flags of the executable live in its static TLS block: reading them never
// allocates, so the allocator itself may read them.
thread_local bool monitoring = false;
std::atomic<long> allocations{0};
std::atomic<long> locks{0};
std::atomic<long> liveBytes{0};

void noteAllocation() {
    if (monitoring) allocations.fetch_add(1, std::memory_order_relaxed);
}

void noteLock() {
    if (monitoring) locks.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

MonitoredScope::MonitoredScope() {
    monitoring = true;
}
MonitoredScope::~MonitoredScope() {
    monitoring = false;
}

long monitoredAllocations() {
    return allocations.load();
}
long monitoredLocks() {
    return locks.load();
}

#if defined(ULVO_WITH_ASAN)

// AddressSanitizer serves malloc, operator new and all their relatives; its hook sees each.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            std::size_t),
                                                         void (*freeHook)(const volatile void*));

namespace {
void onAllocation(const volatile void*, std::size_t) {
    noteAllocation();
}
void onRelease(const volatile void*) {}
[[maybe_unused]] const int hooksInstalled =
    __sanitizer_install_malloc_and_free_hooks(onAllocation, onRelease);
} // namespace

extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
long liveHeapBytes() {
    return static_cast<long>(__sanitizer_get_current_allocated_bytes());
}

#elif defined(ULVO_WITH_TSAN)

extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
long liveHeapBytes() {
    return static_cast<long>(__sanitizer_get_current_allocated_bytes());
}

#else

// glibc's own allocator under its internal names; every replacement below forwards to them, so
// memory from any entry may be released through any other. Each block counts with its usable
// size, which is what the release takes away again.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace {
void* counted(void* pointer) {
    if (pointer != nullptr)
        liveBytes.fetch_add(static_cast<long>(malloc_usable_size(pointer)),
                            std::memory_order_relaxed);
    return pointer;
}
void release(void* pointer) {
    if (pointer == nullptr) return;
    liveBytes.fetch_sub(static_cast<long>(malloc_usable_size(pointer)), std::memory_order_relaxed);
    __libc_free(pointer);
}
void* allocateOrThrow(std::size_t size) {
    noteAllocation();
    if (void* pointer = counted(__libc_malloc(size == 0 ? 1 : size))) return pointer;
    throw std::bad_alloc();
}
} // namespace

extern "C" {
void* malloc(std::size_t size) noexcept {
    noteAllocation();
    return counted(__libc_malloc(size));
}
void* calloc(std::size_t count, std::size_t size) noexcept {
    noteAllocation();
    return counted(__libc_calloc(count, size));
}
void* realloc(void* pointer, std::size_t size) noexcept {
    noteAllocation();
    const long before = pointer != nullptr ? static_cast<long>(malloc_usable_size(pointer)) : 0;
    void* moved = __libc_realloc(pointer, size);
    // Nothing back and a size: the old block stays; nothing back for size 0: it is gone.
    if (moved == nullptr && size != 0) return nullptr;
    liveBytes.fetch_sub(before, std::memory_order_relaxed);
    return counted(moved);
}
void* memalign(std::size_t alignment, std::size_t size) noexcept {
    noteAllocation();
    return counted(__libc_memalign(alignment, size));
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    noteAllocation();
    return counted(__libc_memalign(alignment, size));
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept {
    noteAllocation();
    void* pointer = counted(__libc_memalign(alignment, size));
    if (pointer == nullptr) return ENOMEM;
    *out = pointer;
    return 0;
}
void free(void* pointer) noexcept {
    release(pointer);
}
}

void* operator new(std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    noteAllocation();
    return counted(__libc_malloc(size == 0 ? 1 : size));
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    noteAllocation();
    return counted(__libc_malloc(size == 0 ? 1 : size));
}
void operator delete(void* pointer) noexcept {
    release(pointer);
}
void operator delete[](void* pointer) noexcept {
    release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    release(pointer);
}

long liveHeapBytes() {
    return liveBytes.load(std::memory_order_relaxed);
}

#endif

#if !defined(ULVO_WITH_TSAN)

// The lock calls, forwarded to the definitions they replace, looked up on first use.
namespace {
template <class Function> Function nextDefinition(std::atomic<void*>& slot, const char* name) {
    void* function = slot.load(std::memory_order_acquire);
    if (function == nullptr) {
        function = dlsym(RTLD_NEXT, name);
        slot.store(function, std::memory_order_release);
    }
    return reinterpret_cast<Function>(function);
}

std::atomic<void*> mutexLock{nullptr}, mutexTryLock{nullptr}, readLock{nullptr}, writeLock{nullptr};
} // namespace

extern "C" {
int pthread_mutex_lock(pthread_mutex_t* mutex) noexcept {
    noteLock();
    return nextDefinition<int (*)(pthread_mutex_t*)>(mutexLock, "pthread_mutex_lock")(mutex);
}
int pthread_mutex_trylock(pthread_mutex_t* mutex) noexcept {
    noteLock();
    return nextDefinition<int (*)(pthread_mutex_t*)>(mutexTryLock, "pthread_mutex_trylock")(mutex);
}
int pthread_rwlock_rdlock(pthread_rwlock_t* lock) noexcept {
    noteLock();
    return nextDefinition<int (*)(pthread_rwlock_t*)>(readLock, "pthread_rwlock_rdlock")(lock);
}
int pthread_rwlock_wrlock(pthread_rwlock_t* lock) noexcept {
    noteLock();
    return nextDefinition<int (*)(pthread_rwlock_t*)>(writeLock, "pthread_rwlock_wrlock")(lock);
}
}

#endif
