// The LV2 worker a host gives. An offline host does the work a plug-in schedules during a block
// right after that block, in the same thread: rendering a file waits for nothing, so nothing is
// gained by another thread. A live host does it on a thread of its own while blocks go on. Either
// way the responses reach the plug-in after a block, before the next.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include <lv2/core/lv2.h>
#include <lv2/worker/worker.h>

enum class Lv2WorkerThread { AfterBlock, OwnThread };

class Lv2Worker {
  public:
    explicit Lv2Worker(Lv2WorkerThread where = Lv2WorkerThread::AfterBlock);
    ~Lv2Worker();
    Lv2Worker(const Lv2Worker&) = delete;
    Lv2Worker& operator=(const Lv2Worker&) = delete;

    // The worker#schedule feature to offer at instantiation.
    const LV2_Feature* feature() const { return &scheduleFeature; }
    // The plug-in's worker interface, null for none: scheduled work is then refused.
    void attach(LV2_Handle instance, const LV2_Worker_Interface* interface);
    // [audio thread] After a block: does the work scheduled during it (AfterBlock), hands the
    // plug-in the responses in and ends its run.
    void finishBlock();
    // [any thread but the worker's] Holds the worker off while the lock lives, for a host that
    // restores the state.
    std::unique_lock<std::mutex> holdOff() { return std::unique_lock<std::mutex>(working); }
    // Stops the worker's thread; work still waiting is dropped. Before the plug-in is cleaned up.
    void stop();

  private:
    using Message = std::vector<std::uint8_t>;
    static LV2_Worker_Status schedule(LV2_Worker_Schedule_Handle handle, std::uint32_t size,
                                      const void* data);
    static LV2_Worker_Status respond(LV2_Worker_Respond_Handle handle, std::uint32_t size,
                                     const void* data);
    void work(const Message& request);
    void serve(); // [own thread]

    Lv2WorkerThread where;
    LV2_Worker_Schedule scheduleData{};
    LV2_Feature scheduleFeature{};
    LV2_Handle plugin = nullptr;
    const LV2_Worker_Interface* worker = nullptr;
    std::mutex working; // held while the plug-in works
    std::mutex queues;  // guards what follows
    std::condition_variable requested;
    std::vector<Message> requests, responses;
    bool stopping = false;
    std::thread thread;
};
