// Counts the heap allocations and lock calls that the calling thread makes while a
// MonitoredScope is alive, and the bytes the whole process holds on the heap. Link it only into a
// test executable of its own: it replaces the global operator new, and in plain builds malloc and
// its relatives (forwarded to glibc's own) and the pthread lock calls. Under a sanitizer, whose
// allocator serves every allocation, its hook and its count serve instead.
#pragma once

class MonitoredScope {
  public:
    MonitoredScope();
    ~MonitoredScope();
    MonitoredScope(const MonitoredScope&) = delete;
    MonitoredScope& operator=(const MonitoredScope&) = delete;
};

// Totals over every scope so far.
long monitoredAllocations();
long monitoredLocks();

// Bytes in blocks allocated and not yet released, by anyone in the process: unlike glibc's own
// statistics, blocks kept in its per-thread caches do not count as held.
long liveHeapBytes();
