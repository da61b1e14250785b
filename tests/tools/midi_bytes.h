// Builds Standard MIDI Files byte by byte for the tests: tracks of (delta ticks, event bytes),
// written exactly as given, so that a test can spell out running status or a broken event.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Variable-length quantity as the file format writes it.
Bytes varLength(std::uint32_t value);

class TrackBytes {
  public:
    // Appends `delta` ticks and then `event` as given (status byte or, for running status, not).
    TrackBytes& add(std::uint32_t delta, std::initializer_list<std::uint8_t> event);
    TrackBytes& tempo(std::uint32_t delta, std::uint32_t microsecondsPerQuarter);
    TrackBytes& end(std::uint32_t delta = 0);
    // The MTrk chunk.
    Bytes chunk() const;

  private:
    Bytes body;
};

// A whole file: MThd with `format` and `division`, then the tracks.
Bytes midiFile(std::uint16_t format, std::uint16_t division, const std::vector<TrackBytes>& tracks);

void writeFile(const std::string& path, const Bytes& bytes);
