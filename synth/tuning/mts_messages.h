// The MIDI Tuning Standard, as whole SysEx messages (F0 ... F7) to any device id, 7F included:
//   F0 7F dev 08 02 tt ll [kk xx yy zz]*ll F7       single-note tuning change, real-time
//   F0 7E dev 08 07 bb tt ll [kk xx yy zz]*ll F7    single-note tuning change with bank
//   F0 7E dev 08 01 tt name*16 [xx yy zz]*128 cs F7 bulk tuning dump
//   F0 7E dev 08 00 tt F7                           bulk tuning dump request
//   F0 7F|7E dev 08 08 ff gg hh ss*12 F7            scale/octave tuning, 1 byte a pitch class
//   F0 7F|7E dev 08 09 ff gg hh [ss tt]*12 F7       scale/octave tuning, 2 bytes a pitch class
// The instrument keeps one tuning: tuning program and bank numbers are not told apart. Whatever
// the form, a retuned note follows at once, sounding notes included, and sounds. A message that
// is malformed in any byte changes nothing, nor does a dump whose checksum is wrong. Nothing
// here allocates: the audio thread applies messages as they come.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "synth/tuning/tuning_table.h"

// The instrument's MIDI channel for the scale/octave messages' channel masks: 0 to 15, or this
// for an instrument that plays every channel, which takes a message addressed to any channel.
inline constexpr int kEveryChannel = -1;

// Applies one message to `table`; true when any note's frequency or sounding changed. Scale/octave
// messages offset equal temperament (the instrument has no other octave preset) and retune every
// note, when their mask names `channel`.
bool applyMtsMessage(const std::uint8_t* bytes, std::size_t size, int channel, TuningTable& table);

// A 3-byte frequency word: semitone (the equal-tempered note) and a 14-bit fraction above it in
// 1/16384 semitone. 7F 7F 7F means "no change".
struct MtsFrequency {
    std::uint8_t semitone = 0;
    std::uint8_t fractionHigh = 0;
    std::uint8_t fractionLow = 0;
};
// The word nearest `hz`, within 8.1758 Hz (00 00 00) to about 13289.7 Hz (7F 7F 7E).
MtsFrequency mtsFrequency(double hz);
double mtsFrequencyHz(MtsFrequency word);

struct MtsDumpRequest {
    std::uint8_t deviceId = 0x7F;
    std::uint8_t program = 0;
};
// True, filling `request`, when the bytes are one bulk tuning dump request.
bool parseMtsDumpRequest(const std::uint8_t* bytes, std::size_t size, MtsDumpRequest& request);

inline constexpr std::size_t kMtsBulkDumpSize = 408;
using MtsBulkDump = std::array<std::uint8_t, kMtsBulkDumpSize>;
// The bulk tuning dump of `table`, the reply to a request: `name` is cut or padded with spaces to
// 16 characters, and characters outside printable ASCII become spaces. Whether a note sounds is
// not in the format: a dump read back makes every note sound.
MtsBulkDump mtsBulkDump(const TuningTable& table, const MtsDumpRequest& request,
                        std::string_view name);
