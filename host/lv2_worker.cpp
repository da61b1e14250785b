#include "host/lv2_worker.h"

#include <utility>

Lv2Worker::Lv2Worker(Lv2WorkerThread where) : where(where) {
    scheduleData.handle = this;
    scheduleData.schedule_work = schedule;
    scheduleFeature.URI = LV2_WORKER__schedule;
    scheduleFeature.data = &scheduleData;
}

Lv2Worker::~Lv2Worker() {
    stop();
}

void Lv2Worker::attach(LV2_Handle instance, const LV2_Worker_Interface* interface) {
    plugin = instance;
    worker = interface;
    if (where == Lv2WorkerThread::OwnThread && worker != nullptr && !thread.joinable())
        thread = std::thread([this] { serve(); });
}

void Lv2Worker::stop() {
    if (!thread.joinable()) return;
    {
        const std::lock_guard<std::mutex> hold(queues);
        stopping = true;
    }
    requested.notify_one();
    thread.join();
}

LV2_Worker_Status Lv2Worker::schedule(LV2_Worker_Schedule_Handle handle, std::uint32_t size,
                                      const void* data) {
    auto* self = static_cast<Lv2Worker*>(handle);
    if (self->worker == nullptr || self->worker->work == nullptr) return LV2_WORKER_ERR_UNKNOWN;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    {
        const std::lock_guard<std::mutex> hold(self->queues);
        self->requests.emplace_back(bytes, bytes + (data != nullptr ? size : 0));
    }
    self->requested.notify_one();
    return LV2_WORKER_SUCCESS;
}

LV2_Worker_Status Lv2Worker::respond(LV2_Worker_Respond_Handle handle, std::uint32_t size,
                                     const void* data) {
    auto* self = static_cast<Lv2Worker*>(handle);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const std::lock_guard<std::mutex> hold(self->queues);
    self->responses.emplace_back(bytes, bytes + (data != nullptr ? size : 0));
    return LV2_WORKER_SUCCESS;
}

void Lv2Worker::work(const Message& request) {
    const std::lock_guard<std::mutex> hold(working);
    worker->work(plugin, respond, this, static_cast<std::uint32_t>(request.size()), request.data());
}

void Lv2Worker::serve() {
    std::unique_lock<std::mutex> hold(queues);
    for (;;) {
        requested.wait(hold, [this] { return stopping || !requests.empty(); });
        if (stopping) return;
        std::vector<Message> round;
        round.swap(requests);
        hold.unlock();
        for (const Message& m : round)
            work(m);
        hold.lock();
    }
}

void Lv2Worker::finishBlock() {
    if (worker == nullptr) return;
    // Work may schedule more work; each round's requests are taken before it runs.
    for (std::vector<Message> round; where == Lv2WorkerThread::AfterBlock; round.clear()) {
        {
            const std::lock_guard<std::mutex> hold(queues);
            round.swap(requests);
        }
        if (round.empty()) break;
        for (const Message& m : round)
            work(m);
    }
    std::vector<Message> replies;
    {
        const std::lock_guard<std::mutex> hold(queues);
        replies.swap(responses);
    }
    if (worker->work_response != nullptr)
        for (const Message& m : replies)
            worker->work_response(plugin, static_cast<std::uint32_t>(m.size()), m.data());
    if (worker->end_run != nullptr) worker->end_run(plugin);
}
