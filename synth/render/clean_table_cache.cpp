#include "synth/render/clean_table_cache.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "synth/engine_values.h"

CleanTableCache::CleanTableCache() {
    for (std::int32_t& b : band)
        b = -1;
    for (std::int32_t& s : slotOf)
        s = -1;
}

bool CleanTableCache::current(const RenderValues& r) const {
    if (waves != r.cleanWaves) return false;
    for (int k = 0; k < kHarmonicBlocks; ++k)
        if (weights[k] != r.harmonicWeight[k]) return false;
    return true;
}

void CleanTableCache::reset(const RenderValues& r) {
    waves = r.cleanWaves;
    for (int k = 0; k < kHarmonicBlocks; ++k)
        weights[k] = r.harmonicWeight[k];
    for (std::int32_t& b : band)
        b = -1;
    for (std::int32_t& s : slotOf)
        s = -1;
}

std::int32_t CleanTableCache::mix(std::int32_t wanted) {
    std::int32_t slot = 0;
    for (std::int32_t s = 1; s < kCleanSlots; ++s)
        if (lastUse[s] < lastUse[slot]) slot = s;
    if (band[slot] >= 0) slotOf[band[slot]] = -1;
    slotOf[wanted] = slot;
    // The wrapping sums of cleanMix, block by block.
    auto* out = reinterpret_cast<std::uint32_t*>(table + slot * kCleanStride);
    for (int i = 0; i < kTableSize; ++i)
        out[i] = 0;
    for (int k = 0; k < kHarmonicBlocks; ++k) {
        const auto* block =
            reinterpret_cast<const std::uint32_t*>(waves[cleanBlockEntry(wanted, k)].data());
        const auto w = static_cast<std::uint32_t>(weights[k]);
        const auto m = static_cast<std::uint32_t>(kBlockMultiplier[k]);
        for (std::uint32_t i = 0; i < kTableSize; ++i)
            out[i] += block[(m * i) & (kTableSize - 1)] * w;
    }
    // Floats, one entry on.
    const auto asFloat = [](std::uint32_t sum) {
        return static_cast<float>(static_cast<std::int32_t>(sum));
    };
    const float last = asFloat(out[kTableSize - 1]);
    double most = std::fabs(last);
    for (std::int32_t i = kTableSize; i > 0; --i) {
        const float entry = asFloat(out[i - 1]);
        most = std::max(most, static_cast<double>(std::fabs(entry)));
        out[i] = std::bit_cast<std::uint32_t>(entry);
    }
    out[0] = std::bit_cast<std::uint32_t>(last);
    largest[slot] = most;
    band[slot] = wanted;
    lastUse[slot] = ++uses;
    ++built;
    return slot * kCleanStride;
}
