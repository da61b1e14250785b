// Messages handed over per block: each reaches the instrument in the block that holds its frame,
// at the right offset, whatever the block size; and as a VST 2 host lists them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

#include "host/vst2_event_list.h"
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
        for (const BlockMessage& m : events.next(start, frames)) {
            EXPECT_GE(m.offset, 0);
            EXPECT_LT(m.offset, frames);
            out.push_back({start + m.offset, m.bytes[1]});
        }
    }
    return out;
}

} // namespace

TEST(BlockEvents, EveryEventArrivesAtItsFrameWhateverTheBlockSize) {
    const std::vector<std::int64_t> frames = {0,   0,   5,   63,   64,   130, 130,
                                              130, 510, 511, 4095, 4096, 9999};
    for (std::int32_t blockSize : {1, 2, 64, 511, 512, 4096, 20000}) {
        BlockEvents events(messagesAt(frames));
        const auto delivered = deliver(events, 10000, blockSize);
        ASSERT_EQ(delivered.size(), frames.size()) << blockSize;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(delivered[i].frame, frames[i]) << "block " << blockSize;
            EXPECT_EQ(delivered[i].position, static_cast<int>(i)) << "block " << blockSize;
        }
    }
}

TEST(BlockEvents, BlocksWithoutEventsGetNone) {
    BlockEvents events(messagesAt({100}));
    EXPECT_TRUE(events.next(0, 64).empty());
    EXPECT_EQ(events.next(64, 64).size(), 1u);
    EXPECT_TRUE(events.next(128, 64).empty());
}

TEST(BlockEvents, EventsAfterTheLastRenderedFrameAreNeverHandedOver) {
    BlockEvents events(messagesAt({10, 70}));
    const auto delivered = deliver(events, 64, 64);
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].frame, 10);
}

TEST(BlockEvents, RewindPlaysThePieceAgain) {
    BlockEvents events(messagesAt({3, 300}));
    const auto first = deliver(events, 512, 128);
    events.rewind();
    const auto second = deliver(events, 512, 128);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[1].frame, first[1].frame);
}

// A VST 2 instrument gets each block's messages as MIDI events, the list growing for a busier
// block than any before.
TEST(BlockEvents, AVst2ListHoldsTheBusiestBlockWhole) {
    std::vector<std::int64_t> frames = {5};
    frames.insert(frames.end(), 1000, 77); // a thousand events on one frame
    frames.push_back(200);
    std::vector<TimedMessage> messages = messagesAt(frames);
    messages.back().bytes[0] = 0xC0;
    messages.back().size = 2;
    BlockEvents events(messages);
    VstEventList list;
    ASSERT_EQ(list.fill(events.next(0, 64))->numEvents, 1);
    const VstEvents* busy = list.fill(events.next(64, 64));
    ASSERT_EQ(busy->numEvents, 1000);
    for (int i : {0, 999}) {
        const VstMidiEvent* e = eventAt(busy, i);
        EXPECT_EQ(e->deltaFrames, 13);
        EXPECT_EQ(static_cast<unsigned char>(e->midiData[1]), (i + 1) % 256); // in list order
    }
    const VstEvents* quiet = list.fill(events.next(128, 128));
    ASSERT_EQ(quiet->numEvents, 1);
    const VstMidiEvent* change = eventAt(quiet, 0);
    EXPECT_EQ(change->type, kVstMidiType);
    EXPECT_EQ(change->byteSize, static_cast<VstInt32>(sizeof(VstMidiEvent)));
    EXPECT_EQ(change->deltaFrames, 72);
    EXPECT_EQ(static_cast<unsigned char>(change->midiData[0]), 0xC0);
    EXPECT_EQ(list.fill(events.next(256, 128)), nullptr);
}
