// Counts the heap allocations and lock calls that the calling thread makes while a
// MonitoredScope is alive. Link it only into a test executable of its own: it replaces the
// global operator new, and in plain builds malloc and its relatives (forwarded to glibc's own)
// and the pthread lock calls. Under AddressSanitizer, whose allocator serves every allocation,
// its allocation hook counts instead.
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
