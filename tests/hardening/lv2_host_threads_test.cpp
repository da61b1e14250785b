// The host library's LV2 pieces that a live host calls from several threads: the URID map, which
// the plug-in and the host use at once, and the worker on a thread of its own, which the host
// holds off while it restores a state. Built with the front thread tests, so also under
// ThreadSanitizer (scripts/test_steps/35-tsan.sh).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/lv2_urid_map.h"
#include "host/lv2_worker.h"

namespace {

TEST(Lv2UridMapThreads, TwoThreadsMappingAtOnceAgreeAndEarlierUrisStayReadable) {
    Lv2UridMap uris;
    const char* first = uris.unmap(uris.map("urn:first"));
    const auto mapAll = [&uris](std::vector<LV2_URID>& urids) {
        for (std::size_t n = 0; n < urids.size(); ++n)
            urids[n] = uris.map(("urn:u" + std::to_string(n)).c_str());
    };
    std::vector<LV2_URID> mine(300), theirs(300);
    std::thread other([&] { mapAll(theirs); });
    mapAll(mine);
    other.join();

    EXPECT_EQ(mine, theirs);
    EXPECT_EQ(std::set<LV2_URID>(mine.begin(), mine.end()).size(), mine.size());
    EXPECT_STREQ(first, "urn:first") << "what unmap gave stays put while more URIs come";
    EXPECT_STREQ(uris.unmap(mine[17]), "urn:u17");
    EXPECT_EQ(uris.unmap(0), nullptr);
    EXPECT_EQ(uris.unmap(1000), nullptr);
    // The plug-in's way in: the feature offered at instantiation.
    const auto* map = static_cast<const LV2_URID_Map*>(uris.mapFeature()->data);
    EXPECT_EQ(map->map(map->handle, "urn:u17"), mine[17]);
}

// A plug-in whose work answers "done:" and the request.
struct EchoPlugin {
    std::atomic<int> worked{0};
    std::vector<std::string> replies; // [audio thread]
    int runsEnded = 0;                // [audio thread]
};

const LV2_Worker_Interface kEcho = {
    [](LV2_Handle plugin, LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle,
       std::uint32_t size, const void* data) {
        const std::string reply = "done:" + std::string(static_cast<const char*>(data), size);
        respond(handle, static_cast<std::uint32_t>(reply.size()), reply.data());
        static_cast<EchoPlugin*>(plugin)->worked.fetch_add(1);
        return LV2_WORKER_SUCCESS;
    },
    [](LV2_Handle plugin, std::uint32_t size, const void* body) {
        static_cast<EchoPlugin*>(plugin)->replies.emplace_back(static_cast<const char*>(body),
                                                               size);
        return LV2_WORKER_SUCCESS;
    },
    [](LV2_Handle plugin) {
        ++static_cast<EchoPlugin*>(plugin)->runsEnded;
        return LV2_WORKER_SUCCESS;
    }};

LV2_Worker_Status schedule(const Lv2Worker& worker, const std::string& request) {
    const auto* offer = static_cast<const LV2_Worker_Schedule*>(worker.feature()->data);
    return offer->schedule_work(offer->handle, static_cast<std::uint32_t>(request.size()),
                                request.data());
}

TEST(Lv2WorkerThreads, AfterBlockWorksInTheBlocksThreadAndRepliesAtOnce) {
    EchoPlugin plugin;
    Lv2Worker worker;
    EXPECT_EQ(schedule(worker, "early"), LV2_WORKER_ERR_UNKNOWN) << "no interface attached yet";
    worker.attach(&plugin, &kEcho);
    ASSERT_EQ(schedule(worker, "scale"), LV2_WORKER_SUCCESS);
    EXPECT_EQ(plugin.worked.load(), 0);
    worker.finishBlock();
    EXPECT_EQ(plugin.worked.load(), 1);
    EXPECT_EQ(plugin.replies, std::vector<std::string>{"done:scale"});
    EXPECT_EQ(plugin.runsEnded, 1);
}

TEST(Lv2WorkerThreads, OwnThreadWorksWhileBlocksGoOnAndNotWhileHeldOff) {
    EchoPlugin plugin;
    Lv2Worker worker(Lv2WorkerThread::OwnThread);
    worker.attach(&plugin, &kEcho);
    {
        const auto heldOff = worker.holdOff();
        ASSERT_EQ(schedule(worker, "scale"), LV2_WORKER_SUCCESS);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(plugin.worked.load(), 0) << "no work while the host restores";
        worker.finishBlock();
        EXPECT_TRUE(plugin.replies.empty());
    }
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (plugin.worked.load() == 0 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::yield();
    ASSERT_EQ(plugin.worked.load(), 1);
    EXPECT_TRUE(plugin.replies.empty()) << "a reply waits for the end of a block";
    worker.finishBlock();
    EXPECT_EQ(plugin.replies, std::vector<std::string>{"done:scale"});
    EXPECT_EQ(plugin.runsEnded, 2);
    worker.stop();
}

} // namespace
