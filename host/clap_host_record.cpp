#include "host/clap_host_record.h"

#include <cstring>
#include <string_view>

namespace {

ClapHostLog& logOf(const clap::Host* host) {
    return static_cast<ClapHostRecord*>(host->hostData)->log;
}

// Relaxed: a count orders nothing else.
template <typename Counter> void count(std::atomic<Counter>& counter) {
    counter.fetch_add(1, std::memory_order_relaxed);
}

bool ULVO_CLAP_CALL isOurThread(const clap::Host*) {
    return true;
}
const clap::HostThreadCheck kThreadCheck = {isOurThread, isOurThread};

const clap::HostParams kParams = {
    [](const clap::Host* host, std::uint32_t) { count(logOf(host).rescans); },
    [](const clap::Host*, clap::Id, std::uint32_t) {},
    [](const clap::Host* host) { count(logOf(host).flushRequests); }};

const clap::HostState kState = {[](const clap::Host*) {}};

const clap::HostTimerSupport kTimers = {
    [](const clap::Host* host, std::uint32_t period, clap::Id* id) {
        auto& log = logOf(host);
        *id = static_cast<clap::Id>(ClapHostLog::kFirstTimer + log.timerPeriods.size());
        log.timerPeriods.push_back(period);
        return true;
    },
    [](const clap::Host* host, clap::Id id) {
        logOf(host).timersUnregistered.push_back(id);
        return true;
    }};

const clap::HostPosixFdSupport kFds = {[](const clap::Host* host, int fd, std::uint32_t) {
                                           logOf(host).fdsRegistered.push_back(fd);
                                           return true;
                                       },
                                       [](const clap::Host*, int, std::uint32_t) { return true; },
                                       [](const clap::Host* host, int fd) {
                                           logOf(host).fdsUnregistered.push_back(fd);
                                           return true;
                                       }};

const clap::HostGui kGui = {[](const clap::Host*) {},
                            [](const clap::Host* host, std::uint32_t width, std::uint32_t height) {
                                logOf(host).resizeRequests.emplace_back(width, height);
                                return true;
                            },
                            [](const clap::Host*) { return true; },
                            [](const clap::Host*) { return true; }, [](const clap::Host*, bool) {}};

// Restarts and process requests mean nothing to a host that processes only when told.
void ULVO_CLAP_CALL ignoreRequest(const clap::Host*) {}

} // namespace

ClapHostRecord::ClapHostRecord(const char* name, ClapHostOffers offers) : offers(offers) {
    record = {clap::kVersion,
              this,
              name,
              "Korvane",
              "",
              ULVO_VERSION,
              extension,
              ignoreRequest,
              ignoreRequest,
              [](const clap::Host* host) { count(logOf(host).callbacksRequested); }};
}

const void* ULVO_CLAP_CALL ClapHostRecord::extension(const clap::Host* host, const char* id) {
    if (id == nullptr) return nullptr;
    const ClapHostOffers& offers = static_cast<const ClapHostRecord*>(host->hostData)->offers;
    const std::string_view name = id;
    if (name == clap::kExtThreadCheck) return offers.threadCheck ? &kThreadCheck : nullptr;
    if (name == clap::kExtParams) return &kParams;
    if (name == clap::kExtState) return &kState;
    if (!offers.windowing) return nullptr;
    if (name == clap::kExtTimerSupport) return &kTimers;
    if (name == clap::kExtPosixFdSupport) return &kFds;
    if (name == clap::kExtGui) return &kGui;
    return nullptr;
}

bool ULVO_CLAP_CALL ClapHostRecord::pushed(const clap::OutputEvents* list,
                                           const clap::EventHeader* event) {
    auto& self = *static_cast<ClapHostRecord*>(list->ctx);
    count(self.log.eventsSent);
    if (!self.offers.keepSentValues) return true;
    if (event->type == clap::kEventParamValue && event->size >= sizeof(clap::EventParamValue)) {
        clap::EventParamValue value;
        std::memcpy(&value, event, sizeof value);
        self.log.sent.emplace_back(value.paramId, value.value);
    }
    return true;
}
