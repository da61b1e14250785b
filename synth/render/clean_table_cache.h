// The Clean oscillators' premixed tables of one renderer: for each band in use, the seven
// weighted band-limited blocks summed per table index, as cleanMix (voice_render.h) gives them,
// held as the bits of their floats, so that a lane reads one entry and the next per frame. Built on
// the audio thread when a voice enters a band no table holds, or when the weights or the bank
// change; no allocation.
#pragma once

#include <cstdint>

#include "synth/clean_tables.h"
#include "synth/voice.h"
#include "synth/wave_tables.h"

struct RenderValues;

// Room for one table per voice: the voices in lanes never need more bands at once.
inline constexpr std::int32_t kCleanSlots = kVoiceCount;
// Entries per table: the table one entry on (entry j holds index j - 1, entry 0 index 4095),
// its last entry for the interpolation's right-hand entry at index 4095, and padding to a cache
// line.
inline constexpr std::int32_t kCleanStride = kTableSize + 16;

struct CleanTableCache {
    alignas(64) std::int32_t table[kCleanSlots * kCleanStride]{};
    std::int32_t band[kCleanSlots]{};     // the band each slot holds; -1 none
    std::int32_t slotOf[kCleanGridCount]; // the slot that holds each band; -1 none
    std::uint64_t lastUse[kCleanSlots]{}; // when each slot was last handed out
    double largest[kCleanSlots]{};        // each slot's largest entry in size
    std::uint64_t uses = 0;
    const std::array<std::int32_t, kTableSize>* waves = nullptr; // what the tables are mixed from
    std::int32_t weights[kHarmonicBlocks]{};
    std::uint64_t built = 0; // tables built so far (for tests and benchmarks)

    CleanTableCache();
    // Whether the tables were mixed from the values' waves and weights.
    bool current(const RenderValues& r) const;
    // Forgets every table; the next ones are mixed from `r`.
    void reset(const RenderValues& r);
    // The offset in `table` of band `band`'s table, mixed now if no slot holds it; the slot
    // handed out longest ago makes room. Every lane asks again whenever the pitch moves, so a
    // band already held is found at once.
    // A band outside the grid reads the silent table.
    std::int32_t offsetFor(std::int32_t band) {
        if (band < 0 || band >= kCleanGridCount) band = kCleanSilentEntry;
        if (slotOf[band] < 0) return mix(band);
        lastUse[slotOf[band]] = ++uses;
        return slotOf[band] * kCleanStride;
    }
    // The largest entry in size of the table at `offset`.
    double largestAt(std::int32_t offset) const { return largest[offset / kCleanStride]; }

  private:
    // Mixes band `band`'s table (one no slot holds) into the slot handed out longest ago.
    std::int32_t mix(std::int32_t band);
};
