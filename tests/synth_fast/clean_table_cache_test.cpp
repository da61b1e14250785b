// The Clean oscillators' cache of premixed tables: whatever bands come and go, the offset handed
// out for a band holds that band's mix as the reference computes it, laid out one entry on, with
// its largest entry recorded for the kernels' range check.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>

#include "synth/clean_tables.h"
#include "synth/engine_values.h"
#include "synth/render/clean_table_cache.h"
#include "synth/render/voice_render.h"

namespace {

RenderValues sawValues() {
    RenderValues r{};
    r.cleanWaves = cleanTables().waves[SawBankIndex].data();
    for (int k = 0; k < kHarmonicBlocks; ++k)
        r.harmonicWeight[k] = 3000 * (k + 1);
    return r;
}

// The table at `offset` against cleanMix: entry j holds index j - 1, entry 0 index 4095.
void expectBandsTable(const CleanTableCache& cache, const RenderValues& r, std::int32_t band,
                      std::int32_t offset) {
    double most = 0;
    for (std::uint32_t i = 0; i < kTableSize; ++i) {
        const auto want = static_cast<float>(cleanMix(r, band, i));
        most = std::max(most, static_cast<double>(std::fabs(want)));
        ASSERT_EQ(std::bit_cast<float>(cache.table[offset + i + 1]), want)
            << "band " << band << ", index " << i;
    }
    EXPECT_EQ(std::bit_cast<float>(cache.table[offset]),
              static_cast<float>(cleanMix(r, band, kTableSize - 1)));
    EXPECT_EQ(cache.largestAt(offset), most);
}

TEST(CleanTableCache, EveryBandHandedOutHoldsItsOwnTable) {
    const RenderValues r = sawValues();
    auto cache = std::make_unique<CleanTableCache>();
    cache->reset(r);

    // One band asked for again between sixteen others stays held: found, not mixed again.
    const std::int32_t kept = cache->offsetFor(30);
    for (std::int32_t band = 0; band < 16; ++band)
        cache->offsetFor(band);
    const std::uint64_t built = cache->built;
    EXPECT_EQ(cache->offsetFor(30), kept);
    EXPECT_EQ(cache->built, built);
    cache->offsetFor(40); // evicts the slot handed out longest ago, band 0's
    EXPECT_EQ(cache->offsetFor(30), kept);
    expectBandsTable(*cache, r, 30, kept);

    // Twice as many bands as slots, over and over: every slot is mixed anew many times, and the
    // band asked for is the band read.
    for (int round = 0; round < 2; ++round)
        for (std::int32_t band = 0; band < 2 * kCleanSlots; ++band) {
            const std::int32_t offset = cache->offsetFor(band * 2 % kCleanGridCount);
            expectBandsTable(*cache, r, band * 2 % kCleanGridCount, offset);
        }
    // A band no grid holds reads the silent table.
    expectBandsTable(*cache, r, kCleanSilentEntry, cache->offsetFor(-1));
}

} // namespace
