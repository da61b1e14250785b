// A block's input events as a CLAP host hands them to process() and flush(): MIDI messages as
// CLAP MIDI events, or as note events for a plug-in that takes no MIDI, and parameter values;
// each at its frame, kept between blocks and grown only when a busier block comes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "host/block_message.h"
#include "plugin/clap/clap_abi.h"

class ClapEventList {
  public:
    ClapEventList() = default;
    ClapEventList(const ClapEventList&) = delete;
    ClapEventList& operator=(const ClapEventList&) = delete;

    // From now on note-on and note-off go as CLAP note events, and other messages are dropped.
    void sendNotes() { notes = true; }

    // Replaces the list with `messages`.
    void fill(std::span<const BlockMessage> messages);
    // Replaces the list with values of the parameters `ids`, all at frame 0.
    void fillValues(std::span<const clap::Id> ids, std::span<const double> values);
    void clear() { count = 0; }

    const clap::InputEvents* input() const { return &list; }

  private:
    union Slot {
        clap::EventHeader header;
        clap::EventMidi midi;
        clap::EventNote note;
        clap::EventParamValue value;
    };
    Slot& push();
    void addMessage(const BlockMessage& message);
    static std::uint32_t size(const clap::InputEvents* list);
    static const clap::EventHeader* get(const clap::InputEvents* list, std::uint32_t index);

    bool notes = false;
    std::vector<Slot> slots;
    std::size_t count = 0;
    clap::InputEvents list{this, size, get};
};
