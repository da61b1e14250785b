// Events handed over per block: each reaches the instrument in the block that holds its frame,
// at the right offset, whatever the block size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

#include "tools/render/block_events.h"

namespace {

std::vector<TimedMessage> messagesAt(const std::vector<std::int64_t>& frames) {
    std::vector<TimedMessage> messages;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        TimedMessage m;
        m.frame = frames[i];
        m.bytes[0] = 0x90;
        m.bytes[1] = static_cast<std::uint8_t>(i); // the message's position on the list
        m.bytes[2] = 100;
        messages.push_back(m);
    }
    return messages;
}

// The list's i-th event; the list holds more pointers than its declaration shows.
const VstMidiEvent* eventAt(const VstEvents* list, int i) {
    const auto* pointers = reinterpret_cast<VstEvent* const*>(
        reinterpret_cast<const std::byte*>(list) + offsetof(VstEvents, events));
    return reinterpret_cast<const VstMidiEvent*>(pointers[i]);
}

struct Delivered {
    std::int64_t frame;
    int position;
};

// Walks the whole piece in blocks of `blockSize` and collects what each block hands over.
std::vector<Delivered> deliver(BlockEvents& events, std::int64_t total, std::int32_t blockSize) {
    std::vector<Delivered> out;
    for (std::int64_t start = 0; start < total; start += blockSize) {
        const auto frames =
            static_cast<std::int32_t>(std::min<std::int64_t>(blockSize, total - start));
        const VstEvents* list = events.next(start, frames);
        if (list == nullptr) continue;
        EXPECT_GT(list->numEvents, 0);
        for (VstInt32 i = 0; i < list->numEvents; ++i) {
            const VstMidiEvent* e = eventAt(list, i);
            EXPECT_EQ(e->type, kVstMidiType);
            EXPECT_EQ(e->byteSize, static_cast<VstInt32>(sizeof(VstMidiEvent)));
            EXPECT_GE(e->deltaFrames, 0);
            EXPECT_LT(e->deltaFrames, frames);
            out.push_back({start + e->deltaFrames, static_cast<unsigned char>(e->midiData[1])});
        }
    }
    return out;
}

} // namespace

TEST(BlockEvents, EveryEventArrivesAtItsFrameWhateverTheBlockSize) {
    const std::vector<std::int64_t> frames = {0,   0,   5,   63,   64,   130, 130,
                                              130, 510, 511, 4095, 4096, 9999};
    for (std::int32_t blockSize : {1, 2, 64, 511, 512, 4096, 20000}) {
        BlockEvents events(messagesAt(frames), blockSize);
        const auto delivered = deliver(events, 10000, blockSize);
        ASSERT_EQ(delivered.size(), frames.size()) << blockSize;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(delivered[i].frame, frames[i]) << "block " << blockSize;
            EXPECT_EQ(delivered[i].position, static_cast<int>(i)) << "block " << blockSize;
        }
    }
}

TEST(BlockEvents, BlocksWithoutEventsGetNoList) {
    BlockEvents events(messagesAt({100}), 64);
    EXPECT_EQ(events.next(0, 64), nullptr);
    ASSERT_NE(events.next(64, 64), nullptr);
    EXPECT_EQ(events.next(128, 64), nullptr);
}

TEST(BlockEvents, EventsAfterTheLastRenderedFrameAreNeverHandedOver) {
    BlockEvents events(messagesAt({10, 70}), 64);
    const auto delivered = deliver(events, 64, 64);
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].frame, 10);
}

TEST(BlockEvents, RewindPlaysThePieceAgain) {
    BlockEvents events(messagesAt({3, 300}), 128);
    const auto first = deliver(events, 512, 128);
    events.rewind();
    const auto second = deliver(events, 512, 128);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[1].frame, first[1].frame);
}

TEST(BlockEvents, HoldsTheBusiestBlockWhole) {
    std::vector<std::int64_t> frames(1000, 77); // a thousand events on one frame
    frames.push_back(200);
    BlockEvents events(messagesAt(frames), 128);
    const VstEvents* list = events.next(0, 128);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->numEvents, 1000);
    const VstMidiEvent* last = eventAt(list, 999);
    EXPECT_EQ(last->deltaFrames, 77);
}
