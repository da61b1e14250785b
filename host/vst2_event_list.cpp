#include "host/vst2_event_list.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>

VstEventList::~VstEventList() {
    std::free(list);
}

VstEvents* VstEventList::fill(std::span<const BlockMessage> messages) {
    const auto channelMessages = static_cast<std::size_t>(
        std::count_if(messages.begin(), messages.end(),
                      [](const BlockMessage& m) { return m.sysex == nullptr; }));
    if (channelMessages == 0) return nullptr;
    if (channelMessages > capacity) {
        // One allocation, as the interface lays the list out: the header declares fewer
        // pointers than a list may hold.
        const std::size_t bytes = std::max(
            sizeof(VstEvents), offsetof(VstEvents, events) + channelMessages * sizeof(VstEvent*));
        void* memory = std::calloc(1, bytes);
        if (memory == nullptr) throw std::bad_alloc();
        std::free(list);
        list = new (memory) VstEvents{};
        capacity = channelMessages;
        events.resize(capacity);
    }
    auto* pointers = reinterpret_cast<VstEvent**>(reinterpret_cast<std::byte*>(list) +
                                                  offsetof(VstEvents, events));
    std::size_t i = 0;
    for (const BlockMessage& message : messages) {
        if (message.sysex != nullptr) continue;
        VstMidiEvent& e = events[i];
        e = VstMidiEvent{};
        e.type = kVstMidiType;
        e.byteSize = sizeof(VstMidiEvent);
        e.deltaFrames = static_cast<VstInt32>(message.offset);
        e.flags = 0; // played back from a sequence, not live
        for (int b = 0; b < 3; ++b)
            e.midiData[b] = static_cast<char>(message.bytes[b]);
        pointers[i++] = reinterpret_cast<VstEvent*>(&e);
    }
    list->numEvents = static_cast<VstInt32>(channelMessages);
    list->reserved = 0;
    return list;
}
