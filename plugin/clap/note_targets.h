// Which keys a CLAP note event names. CLAP addresses a note by port, channel, key and the note id
// the host gave at its note-on, each -1 for "any"; the instrument plays and releases by key. The
// front remembers, per key, the channel and note id of the latest note started on it, and whether
// it is still held, so that a note-off, choke or expression naming a note id alone reaches its
// key.
// [audio thread] No allocation; a fixed table of 128 keys.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>

class NoteTargets {
  public:
    static constexpr std::int32_t kKeys = 128;

    void started(std::int32_t key, std::int32_t channel, std::int32_t noteId) {
        if (key < 0 || key >= kKeys) return;
        noteIds[key] = noteId;
        channels[key] = channel;
        held.set(key);
        played.set(key);
    }
    void released(std::int32_t key) {
        if (key >= 0 && key < kKeys) held.reset(key);
    }
    // After silence: no key sounds any more, held or released.
    void forget() { held.reset(), played.reset(); }

    // Calls `visit(key)` for every held key the address names. A key given names that key alone
    // (when a note id is given too, only if the key's latest note has it); without a key, the
    // held keys whose latest note matches the note id and channel given.
    template <typename Visit>
    void forEachHeld(std::int32_t noteId, std::int32_t channel, std::int32_t key,
                     Visit visit) const {
        if (key >= 0) {
            if (key < kKeys && held[key] && matches(key, noteId, channel)) visit(key);
            return;
        }
        if (key != -1) return; // below -1 names nothing
        for (std::int32_t k = 0; k < kKeys; ++k)
            if (held[k] && matches(k, noteId, channel)) visit(k);
    }

    // The same for every key played since the last forget, held or released: a released note
    // still sounds, and an expression or a choke may name it.
    template <typename Visit>
    void forEachNamed(std::int32_t noteId, std::int32_t channel, std::int32_t key,
                      Visit visit) const {
        if (key >= 0) {
            if (key < kKeys && played[key] && matches(key, noteId, channel)) visit(key);
            return;
        }
        if (key != -1) return;
        for (std::int32_t k = 0; k < kKeys; ++k)
            if (played[k] && matches(k, noteId, channel)) visit(k);
    }
    bool isHeld(std::int32_t key) const { return held[key]; }

  private:
    bool matches(std::int32_t k, std::int32_t noteId, std::int32_t channel) const {
        return (noteId < 0 || noteIds[k] == noteId) && (channel < 0 || channels[k] == channel);
    }

    std::array<std::int32_t, kKeys> noteIds{};
    std::array<std::int32_t, kKeys> channels{};
    std::bitset<kKeys> held;
    std::bitset<kKeys> played;
};
