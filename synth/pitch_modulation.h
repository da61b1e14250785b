// The pitch all voices share beyond their notes: the bend wheel over its range, and the vibrato
// that the mod wheel or channel pressure brings in. The vibrato moves the pitch at the points of a
// grid of the frames played, every kVibratoPeriod frames, so that a render does not depend on how
// the host cuts its blocks. Touched only on the audio thread.
#pragma once

#include <cstdint>

class PitchModulation {
  public:
    static constexpr std::int32_t kVibratoPeriod = 32;

    // The wheel at `amount` (14 bits, 8192 in the middle) over `range` semitones. With a fine
    // part of 0 and a range of 1 the factor is the classic seven-bit bend's: the top coarse
    // value, 127, reaches a whole range up.
    void setBend(std::uint16_t amount, std::int32_t range);
    // Takes the range in force: true when the bend's factor changed with it.
    bool followRange(std::int32_t range) { return range != bendRange && changeRange(range); }
    float bendFactor() const { return bend; }

    void setModWheel(std::uint8_t value) { wheel = value & 0x7F; }
    void setPressure(std::uint8_t value) { pressure = value & 0x7F; }

    // The frequency factor of every voice: the bend's, times the vibrato's when one is applied
    // (with none, exactly the bend's).
    double factor() const { return static_cast<double>(bend) * vibrato; }

    // Whether the vibrato may move the pitch at the grid points of the coming block: it reaches
    // some depth, or a factor it set is still applied. When not, the block needs no grid.
    bool moving(float depthCents) const {
        return (depthCents > 0.0f && (wheel > 0 || pressure > 0)) || vibrato != 1.0;
    }
    // At a grid point: the vibrato's factor for the oscillator's phase there and the depth
    // `depthCents` reached at full wheel or pressure. True when the factor changed.
    bool updateVibrato(float depthCents);
    // Frames from here to the next grid point, 0 when here is one.
    std::int32_t framesToGridPoint() const {
        const auto into = static_cast<std::int32_t>(played % kVibratoPeriod);
        return into == 0 ? 0 : kVibratoPeriod - into;
    }
    // `frames` frames played; the vibrato's oscillator moves on by `phasePerPeriod` (in 2^-32
    // of a cycle) at each grid point passed.
    void advance(std::int32_t frames, std::uint32_t phasePerPeriod) {
        const std::uint64_t before = played / kVibratoPeriod;
        played += static_cast<std::uint64_t>(frames);
        // Modulo 2^32, whatever the grouping of the frames: the same phase for any cut of blocks.
        phase += static_cast<std::uint32_t>((played / kVibratoPeriod - before) * phasePerPeriod);
    }
    // The oscillator's step per period for `rateHz` at `framesPerSecond`.
    static std::uint32_t phasePerPeriod(double rateHz, double framesPerSecond);

  private:
    bool changeRange(std::int32_t range);

    std::uint16_t bendAmount = 8192;
    std::int32_t bendRange = 1;
    float bend = 1.0f; // frequency factor of the bend
    std::uint8_t wheel = 0, pressure = 0;
    double vibrato = 1.0;     // frequency factor of the vibrato
    std::uint32_t phase = 0;  // the vibrato's oscillator at the latest grid point, 2^-32 cycles
    std::uint64_t played = 0; // frames played since the start
};
