#include "tools/render/block_events.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <new>

namespace {

// Most events that any block of `blockSize` frames holds, for frames sorted ascending.
std::size_t busiestBlock(const std::vector<std::int64_t>& frames, std::int32_t blockSize) {
    std::size_t most = 0;
    for (std::size_t first = 0; first < frames.size();) {
        const std::int64_t block = frames[first] / blockSize;
        std::size_t end = first;
        while (end < frames.size() && frames[end] / blockSize == block)
            ++end;
        if (end - first > most) most = end - first;
        first = end;
    }
    return most;
}

VstEvent** pointersOf(VstEvents* list) {
    return reinterpret_cast<VstEvent**>(reinterpret_cast<std::byte*>(list) +
                                        offsetof(VstEvents, events));
}

} // namespace

BlockEvents::BlockEvents(const std::vector<TimedMessage>& messages, std::int32_t blockSize) {
    frames.reserve(messages.size());
    events.reserve(messages.size());
    for (const TimedMessage& m : messages) {
        VstMidiEvent e{};
        e.type = kVstMidiType;
        e.byteSize = sizeof(VstMidiEvent);
        e.flags = 0; // played back from a sequence, not live
        for (int i = 0; i < 3; ++i)
            e.midiData[i] = static_cast<char>(m.bytes[i]);
        events.push_back(e);
        frames.push_back(m.frame);
    }
    // The list is a header followed by as many event pointers as the busiest block needs, one
    // allocation, as the interface lays it out.
    const std::size_t count = busiestBlock(frames, blockSize);
    const std::size_t bytes =
        std::max(sizeof(VstEvents), offsetof(VstEvents, events) + count * sizeof(VstEvent*));
    void* memory = std::calloc(1, bytes);
    if (memory == nullptr) throw std::bad_alloc();
    list = new (memory) VstEvents{};
}

BlockEvents::~BlockEvents() {
    std::free(list);
}

std::int64_t BlockEvents::firstEventAfter(std::int64_t frame) const {
    for (std::size_t i = cursor; i < frames.size(); ++i)
        if (frames[i] > frame) return frames[i];
    return std::numeric_limits<std::int64_t>::max();
}

VstEvents* BlockEvents::next(std::int64_t start, std::int32_t frameCount) {
    VstEvent** pointers = pointersOf(list);
    std::int32_t count = 0;
    // Events before `start` belong to no block that is still to come; they cannot occur when
    // blocks are asked for in order from frame 0.
    while (cursor < frames.size() && frames[cursor] < start + frameCount) {
        if (frames[cursor] >= start) {
            events[cursor].deltaFrames = static_cast<VstInt32>(frames[cursor] - start);
            pointers[count++] = reinterpret_cast<VstEvent*>(&events[cursor]);
        }
        ++cursor;
    }
    if (count == 0) return nullptr;
    list->numEvents = count;
    list->reserved = 0;
    return list;
}
