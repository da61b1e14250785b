// The LV2 worker as an offline host gives it: work a plug-in schedules during a block is done
// right after that block, in the same thread, and its responses reach the plug-in before the next
// block. Rendering a file waits for nothing, so nothing is gained by another thread.
#pragma once

#include <cstdint>
#include <vector>

#include <lilv/lilv.h>
#include <lv2/core/lv2.h>
#include <lv2/worker/worker.h>

class Lv2Worker {
  public:
    Lv2Worker();
    Lv2Worker(const Lv2Worker&) = delete;
    Lv2Worker& operator=(const Lv2Worker&) = delete;

    // The worker#schedule feature to offer at instantiation.
    const LV2_Feature* feature() const { return &scheduleFeature; }
    // Looks up the plug-in's worker interface; without one, scheduled work is dropped.
    void attach(LilvInstance* instance);
    // [render loop] After a block: does the work scheduled during it, hands the plug-in the
    // responses and ends its run.
    void finishBlock();

  private:
    using Message = std::vector<std::uint8_t>;
    static LV2_Worker_Status schedule(LV2_Worker_Schedule_Handle handle, std::uint32_t size,
                                      const void* data);
    static LV2_Worker_Status respond(LV2_Worker_Respond_Handle handle, std::uint32_t size,
                                     const void* data);

    LV2_Worker_Schedule scheduleData{};
    LV2_Feature scheduleFeature{};
    LV2_Handle plugin = nullptr;
    const LV2_Worker_Interface* worker = nullptr;
    std::vector<Message> requests, responses;
};
