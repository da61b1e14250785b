#include "tests/presets/preset_takes.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>

#include "synth/instrument.h"
#include "synth/midi_front.h"

std::vector<float> playTake(const Preset& preset, const Take& take) {
    Instrument instrument;
    instrument.setSampleRate(static_cast<float>(kTakeRate));
    instrument.loadValues(preset.values);
    MidiFront midi(instrument);

    constexpr std::int32_t kBlock = 512;
    const auto total = static_cast<std::int64_t>(take.totalSeconds * kTakeRate);
    const auto release = static_cast<std::int64_t>(take.heldSeconds * kTakeRate);
    std::vector<float> stereo(static_cast<std::size_t>(total) * 2);
    std::vector<float> left(kBlock), right(kBlock);
    for (std::uint8_t note : take.notes) {
        const std::uint8_t on[] = {0x90, note, take.velocity};
        midi.message(on, sizeof on, 0);
    }
    for (std::int64_t start = 0; start < total; start += kBlock) {
        const auto frames =
            static_cast<std::int32_t>(std::min<std::int64_t>(kBlock, total - start));
        if (release >= start && release < start + frames)
            for (std::uint8_t note : take.notes) {
                const std::uint8_t off[] = {0x80, note, 0};
                midi.message(off, sizeof off, static_cast<std::int32_t>(release - start));
            }
        instrument.renderReplacing(left.data(), right.data(), frames);
        for (std::int32_t i = 0; i < frames; ++i) {
            stereo[static_cast<std::size_t>((start + i) * 2)] = left[i];
            stereo[static_cast<std::size_t>((start + i) * 2 + 1)] = right[i];
        }
    }
    return stereo;
}

double momentaryMax(const std::vector<float>& stereo, double from) {
    const auto destroy = [](ebur128_state* s) { ebur128_destroy(&s); };
    const std::unique_ptr<ebur128_state, decltype(destroy)> meter(
        ebur128_init(2, kTakeRate, EBUR128_MODE_M), destroy);
    if (!meter) throw std::runtime_error("libebur128 could not start");
    constexpr std::size_t kStep = kTakeRate / 10;
    const std::size_t frames = stereo.size() / 2;
    const auto first = static_cast<std::size_t>(from * kTakeRate);
    double best = -std::numeric_limits<double>::infinity();
    for (std::size_t start = 0; start < frames; start += kStep) {
        const std::size_t n = std::min(kStep, frames - start);
        ebur128_add_frames_float(meter.get(), stereo.data() + start * 2, n);
        double loudness = 0.0;
        if (start + n > first &&
            ebur128_loudness_momentary(meter.get(), &loudness) == EBUR128_SUCCESS)
            best = std::max(best, loudness);
    }
    return best;
}

double peakDb(const std::vector<float>& stereo) {
    float peak = 0.0f;
    for (float sample : stereo)
        peak = std::max(peak, std::fabs(sample));
    return 20.0 * std::log10(static_cast<double>(peak));
}
