// The host as a CLAP plug-in sees it: the clap::Host record handed to the factory, the
// extensions it offers (thread check, parameters, state; timers, file descriptors and window
// resizing for a plug-in that shows its editor), and the output event list of process() and
// flush(). Every request the plug-in makes of them is written down, for hosts that check it.
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

#include "plugin/clap/clap_abi.h"

// What the plug-in asked of the host, and the parameter values it sent, by id. The counters
// take requests from any thread, as a plug-in may make them from its audio thread; the lists
// are written on the thread that makes the request, which the format keeps to the main thread
// for timers, file descriptors and window resizing, and to the processing thread for `sent`.
struct ClapHostLog {
    // The id of the n-th timer registered is kFirstTimer + n.
    static constexpr clap::Id kFirstTimer = 100;

    std::atomic<int> rescans{0};
    std::atomic<int> flushRequests{0};
    std::atomic<int> callbacksRequested{0};
    // Every event process() and flush() gave the host, kept or not.
    std::atomic<long> eventsSent{0};
    std::vector<std::uint32_t> timerPeriods;                             // [main thread]
    std::vector<clap::Id> timersUnregistered;                            // [main thread]
    std::vector<int> fdsRegistered;                                      // [main thread]
    std::vector<int> fdsUnregistered;                                    // [main thread]
    std::vector<std::pair<std::uint32_t, std::uint32_t>> resizeRequests; // [main thread]
    // [the thread that processes or flushes; read while neither runs]
    std::vector<std::pair<clap::Id, double>> sent;
};

struct ClapHostOffers {
    // Every thread is the host's main and audio thread: true for a host of one thread.
    bool threadCheck = true;
    // Timers, file descriptors and window resizing, for an editor; each granted.
    bool windowing = false;
    // The parameter values the plug-in sends are kept in the log; otherwise dropped, so that a
    // long render keeps nothing.
    bool keepSentValues = false;
};

class ClapHostRecord {
  public:
    ClapHostRecord(const char* name, ClapHostOffers offers);
    ClapHostRecord(const ClapHostRecord&) = delete;
    ClapHostRecord& operator=(const ClapHostRecord&) = delete;

    const clap::Host* host() const { return &record; }
    const clap::OutputEvents* output() const { return &outputs; }

    ClapHostLog log;

  private:
    static const void* ULVO_CLAP_CALL extension(const clap::Host* host, const char* id);
    static bool ULVO_CLAP_CALL pushed(const clap::OutputEvents* list,
                                      const clap::EventHeader* event);

    ClapHostOffers offers;
    clap::Host record;
    clap::OutputEvents outputs{this, pushed};
};
