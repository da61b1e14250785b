// A block's input events as a CLAP host hands them to process() and flush(): ulvo-render's MIDI
// messages as CLAP MIDI events, or as note events for a plug-in that takes no MIDI, parameter
// values, or events of any type laid one after another, as a host's list holds them (note
// expressions, SysEx, or a header whose size is not its type's). Kept between blocks and grown
// only when a busier block comes.
#pragma once

#include <cstddef>
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

    // Events added after those the list holds.
    template <typename Event> void add(const Event& event) { add(&event.header, sizeof event); }
    // `size` bytes starting at `header`, whatever header->size says.
    void add(const clap::EventHeader* header, std::size_t size);
    void note(std::uint16_t type, std::uint32_t time, std::int32_t noteId, std::int16_t key,
              double velocity = 0.0, std::int16_t channel = 0);
    void midi(std::uint32_t time, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    void param(std::uint32_t time, clap::Id id, double value);
    // A SysEx event pointing at `bytes`, which must outlive the list's use.
    void sysex(std::uint32_t time, std::span<const std::uint8_t> bytes);

    void clear() { offsets.clear(), bytes.clear(); }
    bool empty() const { return offsets.empty(); }

    const clap::InputEvents* input() const { return &list; }

  private:
    void addMessage(const BlockMessage& message);
    static std::uint32_t size(const clap::InputEvents* list);
    static const clap::EventHeader* get(const clap::InputEvents* list, std::uint32_t index);

    bool notes = false;
    std::vector<std::size_t> offsets; // of each event, in bytes
    std::vector<std::uint64_t> bytes; // 8-byte aligned
    clap::InputEvents list{this, size, get};
};
