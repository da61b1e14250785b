#include "host/lv2_worker.h"

Lv2Worker::Lv2Worker() {
    scheduleData.handle = this;
    scheduleData.schedule_work = schedule;
    scheduleFeature.URI = LV2_WORKER__schedule;
    scheduleFeature.data = &scheduleData;
}

void Lv2Worker::attach(LilvInstance* instance) {
    plugin = lilv_instance_get_handle(instance);
    worker = static_cast<const LV2_Worker_Interface*>(
        lilv_instance_get_extension_data(instance, LV2_WORKER__interface));
}

LV2_Worker_Status Lv2Worker::schedule(LV2_Worker_Schedule_Handle handle, std::uint32_t size,
                                      const void* data) {
    auto* self = static_cast<Lv2Worker*>(handle);
    if (self->worker == nullptr || self->worker->work == nullptr) return LV2_WORKER_ERR_UNKNOWN;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    self->requests.emplace_back(bytes, bytes + (data != nullptr ? size : 0));
    return LV2_WORKER_SUCCESS;
}

LV2_Worker_Status Lv2Worker::respond(LV2_Worker_Respond_Handle handle, std::uint32_t size,
                                     const void* data) {
    auto* self = static_cast<Lv2Worker*>(handle);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    self->responses.emplace_back(bytes, bytes + (data != nullptr ? size : 0));
    return LV2_WORKER_SUCCESS;
}

void Lv2Worker::finishBlock() {
    if (worker == nullptr) return;
    // Work may schedule more work; each round's requests are taken before it runs.
    while (!requests.empty()) {
        std::vector<Message> round;
        round.swap(requests);
        for (const Message& m : round)
            worker->work(plugin, respond, this, static_cast<std::uint32_t>(m.size()), m.data());
    }
    if (worker->work_response != nullptr)
        for (const Message& m : responses)
            worker->work_response(plugin, static_cast<std::uint32_t>(m.size()), m.data());
    responses.clear();
    if (worker->end_run != nullptr) worker->end_run(plugin);
}
