#include "host/clap_event_list.h"

#include <cstring>

void ClapEventList::add(const clap::EventHeader* header, std::size_t size) {
    offsets.push_back(bytes.size() * sizeof(std::uint64_t));
    const std::size_t at = bytes.size();
    bytes.resize(at + (size + 7) / 8, 0);
    std::memcpy(bytes.data() + at, header, size);
}

void ClapEventList::fill(std::span<const BlockMessage> messages) {
    clear();
    for (const BlockMessage& message : messages)
        addMessage(message);
}

void ClapEventList::addMessage(const BlockMessage& message) {
    const auto time = static_cast<std::uint32_t>(message.offset);
    if (!notes) {
        midi(time, message.bytes[0], message.size > 1 ? message.bytes[1] : 0,
             message.size > 2 ? message.bytes[2] : 0);
        return;
    }
    const std::uint8_t kind = message.bytes[0] & 0xF0;
    if (kind != 0x80 && kind != 0x90) return;
    // A note-on of velocity 0 is MIDI's other note-off.
    const bool on = kind == 0x90 && message.bytes[2] > 0;
    note(on ? clap::kEventNoteOn : clap::kEventNoteOff, time, -1, message.bytes[1],
         message.bytes[2] / 127.0, static_cast<std::int16_t>(message.bytes[0] & 0x0F));
}

void ClapEventList::fillValues(std::span<const clap::Id> ids, std::span<const double> values) {
    clear();
    for (std::size_t i = 0; i < ids.size() && i < values.size(); ++i)
        param(0, ids[i], values[i]);
}

void ClapEventList::note(std::uint16_t type, std::uint32_t time, std::int32_t noteId,
                         std::int16_t key, double velocity, std::int16_t channel) {
    clap::EventNote event{};
    event.header = {sizeof event, time, clap::kCoreEventSpace, type, 0};
    event.noteId = noteId;
    event.portIndex = 0;
    event.channel = channel;
    event.key = key;
    event.velocity = velocity;
    add(event);
}

void ClapEventList::midi(std::uint32_t time, std::uint8_t status, std::uint8_t data1,
                         std::uint8_t data2) {
    clap::EventMidi event{};
    event.header = {sizeof event, time, clap::kCoreEventSpace, clap::kEventMidi, 0};
    event.portIndex = 0;
    event.data[0] = status;
    event.data[1] = data1;
    event.data[2] = data2;
    add(event);
}

void ClapEventList::param(std::uint32_t time, clap::Id id, double value) {
    clap::EventParamValue event{};
    event.header = {sizeof event, time, clap::kCoreEventSpace, clap::kEventParamValue, 0};
    event.paramId = id;
    event.noteId = -1;
    event.portIndex = event.channel = event.key = -1;
    event.value = value;
    add(event);
}

void ClapEventList::sysex(std::uint32_t time, std::span<const std::uint8_t> message) {
    clap::EventMidiSysex event{};
    event.header = {sizeof event, time, clap::kCoreEventSpace, clap::kEventMidiSysex, 0};
    event.buffer = message.data();
    event.size = static_cast<std::uint32_t>(message.size());
    add(event);
}

std::uint32_t ClapEventList::size(const clap::InputEvents* list) {
    return static_cast<std::uint32_t>(static_cast<const ClapEventList*>(list->ctx)->offsets.size());
}

const clap::EventHeader* ClapEventList::get(const clap::InputEvents* list, std::uint32_t index) {
    const auto& self = *static_cast<const ClapEventList*>(list->ctx);
    if (index >= self.offsets.size()) return nullptr;
    return reinterpret_cast<const clap::EventHeader*>(
        reinterpret_cast<const char*>(self.bytes.data()) + self.offsets[index]);
}
