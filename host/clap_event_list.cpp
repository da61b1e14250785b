#include "host/clap_event_list.h"

ClapEventList::Slot& ClapEventList::push() {
    if (count == slots.size()) slots.resize(slots.empty() ? 64 : slots.size() * 2);
    return slots[count++];
}

void ClapEventList::fill(std::span<const BlockMessage> messages) {
    count = 0;
    for (const BlockMessage& message : messages)
        addMessage(message);
}

void ClapEventList::addMessage(const BlockMessage& message) {
    const auto time = static_cast<std::uint32_t>(message.offset);
    if (!notes) {
        clap::EventMidi midi{};
        midi.header = {sizeof midi, time, clap::kCoreEventSpace, clap::kEventMidi, 0};
        midi.portIndex = 0;
        for (int b = 0; b < 3; ++b)
            midi.data[b] = b < message.size ? message.bytes[b] : 0;
        push().midi = midi; // the slot's event from here on
        return;
    }
    const std::uint8_t kind = message.bytes[0] & 0xF0;
    if (kind != 0x80 && kind != 0x90) return;
    // A note-on of velocity 0 is MIDI's other note-off.
    const bool on = kind == 0x90 && message.bytes[2] > 0;
    clap::EventNote note{};
    note.header = {sizeof note, time, clap::kCoreEventSpace,
                   on ? clap::kEventNoteOn : clap::kEventNoteOff, 0};
    note.noteId = -1;
    note.portIndex = 0;
    note.channel = static_cast<std::int16_t>(message.bytes[0] & 0x0F);
    note.key = message.bytes[1];
    note.velocity = message.bytes[2] / 127.0;
    push().note = note;
}

void ClapEventList::fillValues(std::span<const clap::Id> ids, std::span<const double> values) {
    count = 0;
    for (std::size_t i = 0; i < ids.size() && i < values.size(); ++i) {
        clap::EventParamValue event{};
        event.header = {sizeof event, 0, clap::kCoreEventSpace, clap::kEventParamValue, 0};
        event.paramId = ids[i];
        event.noteId = -1;
        event.portIndex = event.channel = event.key = -1;
        event.value = values[i];
        push().value = event;
    }
}

std::uint32_t ClapEventList::size(const clap::InputEvents* list) {
    return static_cast<std::uint32_t>(static_cast<const ClapEventList*>(list->ctx)->count);
}

const clap::EventHeader* ClapEventList::get(const clap::InputEvents* list, std::uint32_t index) {
    const auto& self = *static_cast<const ClapEventList*>(list->ctx);
    return index < self.count ? &self.slots[index].header : nullptr;
}
