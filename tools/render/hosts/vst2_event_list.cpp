#include "tools/render/hosts/vst2_event_list.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>

VstEventList::~VstEventList() {
    std::free(list);
}

VstEvents* VstEventList::fill(std::span<const BlockMessage> messages) {
    if (messages.empty()) return nullptr;
    if (messages.size() > capacity) {
        // One allocation, as the interface lays the list out: the header declares fewer
        // pointers than a list may hold.
        const std::size_t bytes = std::max(
            sizeof(VstEvents), offsetof(VstEvents, events) + messages.size() * sizeof(VstEvent*));
        void* memory = std::calloc(1, bytes);
        if (memory == nullptr) throw std::bad_alloc();
        std::free(list);
        list = new (memory) VstEvents{};
        capacity = messages.size();
        events.resize(capacity);
    }
    auto* pointers = reinterpret_cast<VstEvent**>(reinterpret_cast<std::byte*>(list) +
                                                  offsetof(VstEvents, events));
    for (std::size_t i = 0; i < messages.size(); ++i) {
        VstMidiEvent& e = events[i];
        e = VstMidiEvent{};
        e.type = kVstMidiType;
        e.byteSize = sizeof(VstMidiEvent);
        e.deltaFrames = messages[i].offset;
        e.flags = 0; // played back from a sequence, not live
        for (int b = 0; b < 3; ++b)
            e.midiData[b] = static_cast<char>(messages[i].bytes[b]);
        pointers[i] = reinterpret_cast<VstEvent*>(&e);
    }
    list->numEvents = static_cast<VstInt32>(messages.size());
    list->reserved = 0;
    return list;
}
