#include "synth/tuning/mts_messages.h"

#include <cmath>

namespace {

constexpr std::uint8_t kSysEx = 0xF0;
constexpr std::uint8_t kEndOfSysEx = 0xF7;
constexpr std::uint8_t kNonRealTime = 0x7E;
constexpr std::uint8_t kRealTime = 0x7F;
constexpr std::uint8_t kTuningStandard = 0x08;

constexpr std::uint8_t kDumpRequest = 0x00;
constexpr std::uint8_t kBulkDump = 0x01;
constexpr std::uint8_t kNoteChange = 0x02;
constexpr std::uint8_t kNoteChangeWithBank = 0x07;
constexpr std::uint8_t kScaleOctave1Byte = 0x08;
constexpr std::uint8_t kScaleOctave2Byte = 0x09;

constexpr std::size_t kHeaderSize = 5; // F0, real-time or not, device, 08, sub-id
constexpr std::size_t kNameSize = 16;
constexpr std::size_t kDumpDataStart = 6 + kNameSize;
constexpr std::size_t kChecksumIndex = kMtsBulkDumpSize - 2;
constexpr int kFractionSteps = 1 << 14;

// F0, F7 and data bytes between, with the tuning standard's header.
bool isTuningMessage(const std::uint8_t* bytes, std::size_t size) {
    if (bytes == nullptr || size < kHeaderSize + 1 || bytes[0] != kSysEx ||
        bytes[size - 1] != kEndOfSysEx)
        return false;
    for (std::size_t i = 1; i + 1 < size; ++i)
        if (bytes[i] > 0x7F) return false;
    return (bytes[1] == kRealTime || bytes[1] == kNonRealTime) && bytes[3] == kTuningStandard;
}

bool isNoChange(const std::uint8_t* word) {
    return word[0] == 0x7F && word[1] == 0x7F && word[2] == 0x7F;
}

bool setNote(TuningTable& table, int note, double hz) {
    const bool changed = table.hz[note] != hz || !table.sounds[note];
    table.hz[note] = hz;
    table.sounds[note] = true;
    return changed;
}

// `count` groups of key and frequency word from `groups`.
bool applyNoteChanges(const std::uint8_t* groups, std::size_t count, TuningTable& table) {
    bool changed = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* group = groups + 4 * i;
        if (!isNoChange(group + 1))
            changed |= setNote(table, group[0], mtsFrequencyHz({group[1], group[2], group[3]}));
    }
    return changed;
}

std::uint8_t checksum(const std::uint8_t* bytes, std::size_t end) {
    std::uint8_t sum = 0;
    for (std::size_t i = 1; i < end; ++i)
        sum ^= bytes[i];
    return sum & 0x7F;
}

bool applyBulkDump(const std::uint8_t* bytes, TuningTable& table) {
    if (checksum(bytes, kChecksumIndex) != bytes[kChecksumIndex]) return false;
    bool changed = false;
    for (int note = 0; note < kTuningNotes; ++note) {
        const std::uint8_t* word = bytes + kDumpDataStart + 3 * note;
        if (!isNoChange(word))
            changed |= setNote(table, note, mtsFrequencyHz({word[0], word[1], word[2]}));
    }
    return changed;
}

// Channel bytes ff gg hh: channels 15-16 in bits 0-1 of ff, 8-14 in gg, 1-7 in hh.
bool masksChannel(const std::uint8_t* mask, int channel) {
    const std::uint8_t ff = mask[0] & 0x03;
    const std::uint8_t gg = mask[1];
    const std::uint8_t hh = mask[2];
    if (channel == kEveryChannel) return (ff | gg | hh) != 0;
    if (channel < 0 || channel > 15) return false;
    if (channel < 7) return (hh >> channel) & 1;
    if (channel < 14) return (gg >> (channel - 7)) & 1;
    return (ff >> (channel - 14)) & 1;
}

// Offsets in cents for C to B applied to equal temperament on every note.
bool applyScaleOctave(const std::array<double, 12>& offsets, TuningTable& table) {
    bool changed = false;
    for (int note = 0; note < kTuningNotes; ++note)
        changed |=
            setNote(table, note, equalTemperamentHz(note) * std::exp2(offsets[note % 12] / 1200.0));
    return changed;
}

} // namespace

double mtsFrequencyHz(MtsFrequency word) {
    const int fraction = word.fractionHigh * 128 + word.fractionLow;
    const double semitones = word.semitone + static_cast<double>(fraction) / kFractionSteps;
    return 440.0 * std::exp2((semitones - 69.0) / 12.0);
}

MtsFrequency mtsFrequency(double hz) {
    constexpr long kHighest = 127L * kFractionSteps + kFractionSteps - 2; // below 7F 7F 7F
    // Not a number and 0 Hz or less go to the lowest word, infinity to the highest.
    const double semitones = hz > 0.0 ? 69.0 + 12.0 * std::log2(hz / 440.0) : -1.0;
    const double scaled = std::round(semitones * kFractionSteps);
    const long steps = !(scaled > 0.0)      ? 0
                       : scaled >= kHighest ? kHighest
                                            : static_cast<long>(scaled);
    return {static_cast<std::uint8_t>(steps / kFractionSteps),
            static_cast<std::uint8_t>((steps / 128) % 128), static_cast<std::uint8_t>(steps % 128)};
}

bool applyMtsMessage(const std::uint8_t* bytes, std::size_t size, int channel, TuningTable& table) {
    if (!isTuningMessage(bytes, size)) return false;
    const bool realTime = bytes[1] == kRealTime;
    switch (bytes[4]) {
    case kNoteChange: // tt ll groups
        if (!realTime || size < 8 || size != 8 + 4 * std::size_t{bytes[6]}) return false;
        return applyNoteChanges(bytes + 7, bytes[6], table);
    case kNoteChangeWithBank: // bb tt ll groups
        if (realTime || size < 9 || size != 9 + 4 * std::size_t{bytes[7]}) return false;
        return applyNoteChanges(bytes + 8, bytes[7], table);
    case kBulkDump:
        if (realTime || size != kMtsBulkDumpSize) return false;
        return applyBulkDump(bytes, table);
    case kScaleOctave1Byte: {
        if (size != 8 + 12 + 1 || !masksChannel(bytes + 5, channel)) return false;
        std::array<double, 12> offsets{};
        for (int i = 0; i < 12; ++i)
            offsets[i] = bytes[8 + i] - 64.0;
        return applyScaleOctave(offsets, table);
    }
    case kScaleOctave2Byte: {
        if (size != 8 + 24 + 1 || !masksChannel(bytes + 5, channel)) return false;
        std::array<double, 12> offsets{};
        for (int i = 0; i < 12; ++i) {
            const int value = bytes[8 + 2 * i] * 128 + bytes[9 + 2 * i];
            offsets[i] = (value - 8192) * 100.0 / 8192.0;
        }
        return applyScaleOctave(offsets, table);
    }
    default:
        return false;
    }
}

bool parseMtsDumpRequest(const std::uint8_t* bytes, std::size_t size, MtsDumpRequest& request) {
    if (!isTuningMessage(bytes, size) || size != 7 || bytes[1] != kNonRealTime ||
        bytes[4] != kDumpRequest)
        return false;
    request = {bytes[2], bytes[5]};
    return true;
}

MtsBulkDump mtsBulkDump(const TuningTable& table, const MtsDumpRequest& request,
                        std::string_view name) {
    MtsBulkDump dump{};
    dump[0] = kSysEx;
    dump[1] = kNonRealTime;
    dump[2] = request.deviceId & 0x7F;
    dump[3] = kTuningStandard;
    dump[4] = kBulkDump;
    dump[5] = request.program & 0x7F;
    for (std::size_t i = 0; i < kNameSize; ++i) {
        const char c = i < name.size() ? name[i] : ' ';
        dump[6 + i] = c >= 0x20 && c < 0x7F ? static_cast<std::uint8_t>(c) : ' ';
    }
    for (int note = 0; note < kTuningNotes; ++note) {
        const MtsFrequency word = mtsFrequency(table.hz[note]);
        dump[kDumpDataStart + 3 * note] = word.semitone;
        dump[kDumpDataStart + 3 * note + 1] = word.fractionHigh;
        dump[kDumpDataStart + 3 * note + 2] = word.fractionLow;
    }
    dump[kChecksumIndex] = checksum(dump.data(), kChecksumIndex);
    dump[kMtsBulkDumpSize - 1] = kEndOfSysEx;
    return dump;
}
