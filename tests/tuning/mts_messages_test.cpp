#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <vector>

#include "synth/tuning/mts_messages.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

bool applyTo(const Bytes& message, TuningTable& table, int channel = kEveryChannel) {
    return applyMtsMessage(message.data(), message.size(), channel, table);
}

double centsBetween(double hz, double reference) {
    return 1200.0 * std::log2(hz / reference);
}

double semitonesHz(double semitones) {
    return 440.0 * std::exp2((semitones - 69.0) / 12.0);
}

TEST(MtsMessages, SingleNoteChangesRetuneOnlyTheirKeys) {
    TuningTable table = equalTemperamentTable();
    // Real-time, to every device: 60 a quarter tone up (3C 20 00), 61 unchanged (7F 7F 7F).
    const Bytes realTime = {0xF0, 0x7F, 0x7F, 0x08, 0x02, 0x00, 0x02, 0x3C,
                            0x3C, 0x20, 0x00, 0x3D, 0x7F, 0x7F, 0x7F, 0xF7};
    EXPECT_TRUE(applyTo(realTime, table));
    EXPECT_EQ(table.hz[60], semitonesHz(60.25));
    EXPECT_EQ(table.hz[61], equalTemperamentHz(61));
    EXPECT_FALSE(applyTo(realTime, table)); // nothing left to change

    // Non-real-time with a bank, to device 5: key 64 to semitone 66 plus one step.
    const Bytes withBank = {0xF0, 0x7E, 0x05, 0x08, 0x07, 0x01, 0x02,
                            0x01, 0x40, 0x42, 0x00, 0x01, 0xF7};
    EXPECT_TRUE(applyTo(withBank, table));
    EXPECT_EQ(table.hz[64], semitonesHz(66.0 + 1.0 / 16384));
    EXPECT_EQ(table.hz[60], semitonesHz(60.25));
}

TEST(MtsMessages, MalformedMessagesChangeNothing) {
    const Bytes good = {0xF0, 0x7F, 0x7F, 0x08, 0x02, 0x00, 0x01, 0x45, 0x46, 0x00, 0x00, 0xF7};
    std::vector<Bytes> bad = {
        Bytes(good.begin(), good.end() - 1),                                      // no F7
        {0xF0, 0x7F, 0x7F, 0x08, 0x02, 0x00, 0x02, 0x45, 0x46, 0x00, 0x00, 0xF7}, // count 2
        {0xF0, 0x7E, 0x7F, 0x08, 0x02, 0x00, 0x01, 0x45, 0x46, 0x00, 0x00, 0xF7}, // not real-time
        {0xF0, 0x7F, 0x7F, 0x08, 0x02, 0x00, 0x01, 0x85, 0x46, 0x00, 0x00, 0xF7}, // status byte
        {0xF0, 0x7E, 0x7F, 0x08, 0x08, 0x7F, 0x7F, 0x7F, 0x40, 0xF7},             // short 1-byte
    };
    TuningTable table = equalTemperamentTable();
    ASSERT_TRUE(applyTo(good, table));
    for (const Bytes& message : bad) {
        TuningTable untouched = equalTemperamentTable();
        EXPECT_FALSE(applyTo(message, untouched));
        EXPECT_EQ(untouched, equalTemperamentTable());
    }
    EXPECT_FALSE(applyMtsMessage(nullptr, 0, kEveryChannel, table));
}

Bytes scaleOctave(std::uint8_t form, std::uint8_t ff, std::uint8_t gg, std::uint8_t hh,
                  const Bytes& values) {
    Bytes message(values.size() + 9);
    const std::uint8_t header[] = {0xF0, 0x7F, 0x7F, 0x08, form, ff, gg, hh};
    std::copy(std::begin(header), std::end(header), message.begin());
    std::copy(values.begin(), values.end(), message.begin() + 8);
    message.back() = 0xF7;
    return message;
}

TEST(MtsMessages, ScaleOctaveOffsetsEqualTemperamentOnTheNamedChannels) {
    Bytes cents(12, 0x40);
    cents[0] = 0x40 - 10; // C 10 cents down
    cents[9] = 0x7F;      // A 63 cents up
    const Bytes onChannel2 = scaleOctave(0x08, 0x00, 0x00, 0x02, cents);
    TuningTable table = equalTemperamentTable();
    EXPECT_FALSE(applyTo(onChannel2, table, 0));
    EXPECT_EQ(table, equalTemperamentTable());
    EXPECT_TRUE(applyTo(onChannel2, table, 1));
    for (const int note : {0, 60, 120})
        EXPECT_NEAR(centsBetween(table.hz[note], equalTemperamentHz(note)), -10.0, 1e-9);
    EXPECT_NEAR(centsBetween(table.hz[69], 440.0), 63.0, 1e-9);
    EXPECT_EQ(table.hz[61], equalTemperamentHz(61));

    // Channels 15 and 16 are in the first mask byte; an empty mask reaches no channel.
    EXPECT_TRUE(applyTo(scaleOctave(0x08, 0x02, 0x00, 0x00, Bytes(12, 0x40)), table, 15));
    EXPECT_EQ(table, equalTemperamentTable()); // offsets from equal temperament, not cumulative
    EXPECT_FALSE(applyTo(scaleOctave(0x08, 0x00, 0x00, 0x00, cents), table));
    EXPECT_FALSE(applyTo(scaleOctave(0x08, 0x00, 0x01, 0x00, cents), table, 6));
    EXPECT_TRUE(applyTo(scaleOctave(0x08, 0x00, 0x01, 0x00, cents), table, 7));
    EXPECT_TRUE(applyTo(scaleOctave(0x08, 0x00, 0x00, 0x40, Bytes(12, 0x40)), table));

    // Two bytes a pitch class: 00 00 is -100 cents, 40 00 none, 7F 7F just under +100.
    Bytes pairs;
    for (int i = 0; i < 12; ++i)
        pairs.insert(pairs.end(), {0x40, 0x00});
    pairs[18] = pairs[19] = 0x00; // A
    pairs[0] = pairs[1] = 0x7F;   // C
    Bytes twoByte = scaleOctave(0x09, 0x03, 0x7F, 0x7F, pairs);
    twoByte[1] = 0x7E; // the non-real-time form
    EXPECT_TRUE(applyTo(twoByte, table, 3));
    EXPECT_NEAR(table.hz[69], equalTemperamentHz(68), 1e-9);
    EXPECT_NEAR(centsBetween(table.hz[60], equalTemperamentHz(60)), 100.0 * 8191 / 8192, 1e-9);
    EXPECT_EQ(table.hz[62], equalTemperamentHz(62));
}

TEST(MtsMessages, DumpRequestReplyRoundTripsAndABadChecksumIsIgnored) {
    const Bytes requestBytes = {0xF0, 0x7E, 0x01, 0x08, 0x00, 0x10, 0xF7};
    MtsDumpRequest request;
    ASSERT_TRUE(parseMtsDumpRequest(requestBytes.data(), requestBytes.size(), request));
    EXPECT_EQ(request.deviceId, 1);
    EXPECT_EQ(request.program, 16);
    EXPECT_FALSE(parseMtsDumpRequest(requestBytes.data(), 6, request));

    TuningTable tuned = equalTemperamentTable();
    for (int note = 0; note < kTuningNotes; ++note)
        tuned.hz[note] = 8.5 * std::exp2(note * 0.07); // 8.5 Hz to about 4.5 kHz, off the grid
    tuned.hz[0] = 1.0;                                 // below the lowest word
    tuned.hz[127] = 2.0e4; // above the highest, which must not read as "no change"
    const MtsBulkDump dump = mtsBulkDump(tuned, request, "Sevenths\x01");
    EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 6), (Bytes{0xF0, 0x7E, 0x01, 0x08, 0x01, 0x10}));
    EXPECT_EQ(std::string(dump.begin() + 6, dump.begin() + 22), "Sevenths        ");
    std::uint8_t checksum = 0;
    for (std::size_t i = 1; i < kMtsBulkDumpSize - 2; ++i)
        checksum ^= dump[i];
    EXPECT_EQ(dump[kMtsBulkDumpSize - 2], checksum);
    EXPECT_EQ(dump.back(), 0xF7);

    Bytes damaged(dump.begin(), dump.end());
    damaged[kMtsBulkDumpSize - 2] ^= 0x01;
    TuningTable table = equalTemperamentTable();
    EXPECT_FALSE(applyTo(damaged, table));
    EXPECT_EQ(table, equalTemperamentTable());

    EXPECT_TRUE(applyTo(Bytes(dump.begin(), dump.end()), table));
    for (int note = 1; note < kTuningNotes - 1; ++note)
        EXPECT_NEAR(centsBetween(table.hz[note], tuned.hz[note]), 0.0, 0.0031) << note;
    EXPECT_EQ(table.hz[0], equalTemperamentHz(0));
    EXPECT_NEAR(centsBetween(table.hz[127], equalTemperamentHz(127)), 100.0 * 16382 / 16384, 1e-9);

    // Equal temperament survives the dump exactly: reading it back changes nothing.
    const MtsBulkDump equal = mtsBulkDump(equalTemperamentTable(), request, "");
    TuningTable same = equalTemperamentTable();
    EXPECT_FALSE(applyTo(Bytes(equal.begin(), equal.end()), same));
}

} // namespace
