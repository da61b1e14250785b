#include "synth/engine_parameters.h"

#include <cmath>

#include "core/round_half_even.h"

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

// Non-finite parameter values act as 0 in everything derived from them.
double finiteOrZero(float value) {
    return std::isfinite(value) ? value : 0.0;
}

// A parameter as the sound is derived from it: a value outside 0..1 counts as the nearer end.
// The filter is stable and the mix bounded only for damping, cut-off, envelope depth, sustain,
// smoothing and drawbar levels made from values in that range; a host may store anything.
double heldInRange(float value) {
    const double v = finiteOrZero(value);
    return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

// A playing control as the sound is derived from it: held within its range, non-finite as 0.
double heldInControlRange(std::int32_t index, float value) {
    const double v = finiteOrZero(value);
    const ControlRange& range = kControlRanges[index];
    return v < range.minimum ? range.minimum : (v > range.maximum ? range.maximum : v);
}

// The Natural curve over a ramp of `length` samples: down to -60 dB one sample past its end.
CurveShape naturalShape(std::int32_t length) {
    const double steps = static_cast<double>(length) + 1.0;
    const double factor = std::pow(0.001, 1.0 / steps);
    const double end = std::pow(factor, steps);
    return {factor, end, 1.0 / (1.0 - end)};
}

std::int32_t clampInt(std::int32_t value, std::int32_t low, std::int32_t high) {
    return value < low ? low : (value > high ? high : value);
}

// Bank block driven by each drawbar parameter (index 8 to 13).
constexpr std::array<std::int32_t, 6> kDrawbarBlock = {1, 2, 3, 4, 5, 6};

} // namespace

float EngineParameters::parameter(std::int32_t index) const {
    return isControlIndex(index) ? params[index].load(relaxed) : 0.0f;
}

void EngineParameters::store(std::int32_t index, float value) {
    if (isControlIndex(index)) params[index].store(value, relaxed);
}

void EngineParameters::setTableStep(double rate) {
    derived.tableStep.store(static_cast<float>(4096.0 / rate), relaxed);
    derived.sampleRate.store(rate, relaxed);
}

void EngineParameters::update(std::int32_t index, double rate) {
    if (!isControlIndex(index)) return;
    // Type and Wave pick a mode or a bank and bound their own results; the playing controls
    // have ranges of their own.
    const float stored = params[index].load(relaxed);
    const double value = index == Type || index == Wave ? finiteOrZero(stored)
                         : isParameterIndex(index)      ? heldInRange(stored)
                                                        : heldInControlRange(index, stored);
    switch (index) {
    case Attack:
    case Decay:
    case Release:
        updateLength(index, rate);
        break;
    case EnvScale:
        for (std::int32_t length : {Attack, Decay, Release})
            updateLength(length, rate);
        break;
    case EnvCurve:
        derived.envCurve.store(roundToInt(value), relaxed);
        break;
    case Oscillators:
        derived.oscillators.store(roundToInt(value), relaxed);
        break;
    case Volume:
        derived.volumeGain.store(static_cast<float>(std::pow(10.0, value / 20.0)), relaxed);
        break;
    case VelocitySense:
        derived.velocitySense.store(static_cast<float>(value), relaxed);
        break;
    case BendRange:
        derived.bendRange.store(roundToInt(value), relaxed);
        break;
    case VibratoRate:
        derived.vibratoRate.store(static_cast<float>(value), relaxed);
        break;
    case VibratoDepth:
        derived.vibratoDepth.store(static_cast<float>(value), relaxed);
        break;
    case CutOff:
        derived.cutoffScale.store(static_cast<float>((value * value + 0.05) * 60000.0 / rate),
                                  relaxed);
        break;
    case Q:
        derived.damping.store(static_cast<float>(1.2 - 1.17 * value), relaxed);
        break;
    case Type:
        // Modes outside 0 to 3 take the nearest valid one.
        derived.filterMode.store(clampInt(roundToInt(value * 2.0), 0, 3), relaxed);
        break;
    case Wave:
        derived.activeBank.store(clampInt(roundToInt(value * 3.0), 0, kBankCount - 1), relaxed);
        break;
    case Sustain:
        derived.sustainLevel.store(static_cast<float>(value), relaxed);
        break;
    case Env:
        derived.envDepth.store(static_cast<float>(value), relaxed);
        break;
    case Smooth:
        derived.smoothing.store(static_cast<float>(value), relaxed);
        break;
    default:
        updateDrawbar(index);
        break;
    }
    derived.changes.fetch_add(1, std::memory_order_release);
}

// A length scales with env_scale, which at 1 leaves the classic formula's result; the Natural
// curve's shape follows the decay's and the release's.
void EngineParameters::updateLength(std::int32_t index, double rate) {
    const double value = heldInRange(params[index].load(relaxed));
    const double scale = heldInControlRange(EnvScale, params[EnvScale].load(relaxed));
    switch (index) {
    case Attack:
        derived.attackLength.store(roundToInt(value * value * rate * 0.5 * scale), relaxed);
        break;
    case Decay: {
        const std::int32_t length = roundToInt(value * value * rate * 0.5 * scale);
        const CurveShape shape = naturalShape(length);
        derived.decayFactor.store(shape.factor, relaxed);
        derived.decayEnd.store(shape.end, relaxed);
        derived.decayScale.store(shape.scale, relaxed);
        derived.decayLength.store(length, relaxed);
        break;
    }
    default: {
        // At least 10 samples; the addition saturates like the rounding before it.
        const std::int32_t rounded = roundToInt(value * value * rate * scale);
        const std::int32_t length = rounded > INT32_MAX - 10 ? INT32_MAX : rounded + 10;
        const CurveShape shape = naturalShape(length);
        derived.releaseFactor.store(shape.factor, relaxed);
        derived.releaseEnd.store(shape.end, relaxed);
        derived.releaseScale.store(shape.scale, relaxed);
        derived.releaseLength.store(length, relaxed);
        break;
    }
    }
    derived.changes.fetch_add(1, std::memory_order_release);
}

// Under the classic rule only the changed drawbar's weight and the fundamental's are
// recomputed: every other weight keeps the sum of the moment its own drawbar was set, so the
// weights depend on the order of changes. Sounds saved by VST 2 hosts were made this way; do not
// "normalise" it there. Under the positions rule every weight is recomputed from the same sum.
void EngineParameters::updateDrawbar(std::int32_t index) {
    double sum = 1.0; // the fundamental, always at level 1
    for (std::int32_t k = Drawbar2; k <= Drawbar3; ++k)
        sum += heldInRange(params[k].load(relaxed));
    const auto drawbarSum = static_cast<float>(sum);
    derived.drawbarSum.store(drawbarSum, relaxed);
    derived.harmonicWeight[0].store(roundToInt(1.0 / drawbarSum * 1000.0), relaxed);
    const std::int32_t first = rule == DrawbarRule::Positions ? Drawbar2 : index;
    const std::int32_t last = rule == DrawbarRule::Positions ? Drawbar3 : index;
    for (std::int32_t k = first; k <= last; ++k) {
        const double level = heldInRange(params[k].load(relaxed));
        derived.harmonicWeight[kDrawbarBlock[k - Drawbar2]].store(
            roundToInt(level / drawbarSum * 1000.0), relaxed);
    }
}
