// A block's messages as a VST 2 host hands them over with effProcessEvents: a list header followed
// by pointers to MIDI events, kept between blocks and grown only when a busier block comes.
#pragma once

#include <span>
#include <vector>

#include "host/block_message.h"
#include "plugin/vst2/aeffectx.h"

class VstEventList {
  public:
    VstEventList() = default;
    ~VstEventList();
    VstEventList(const VstEventList&) = delete;
    VstEventList& operator=(const VstEventList&) = delete;

    // The list of `messages`, valid until the next call; null when there are none. System
    // exclusive messages are left out: the VST 2 build reads channel messages alone.
    VstEvents* fill(std::span<const BlockMessage> messages);

  private:
    std::vector<VstMidiEvent> events;
    VstEvents* list = nullptr; // header followed by room for `capacity` pointers
    std::size_t capacity = 0;
};
