#include "synth/instrument.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/bounded_text.h"
#include "synth/drawbar_engine.h"

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

// A rate the engine can run at: finite, above 0, and with a finite table step.
bool isUsableSampleRate(float rate) {
    return std::isfinite(rate) && rate > 0.0f && std::isfinite(static_cast<float>(4096.0 / rate));
}

} // namespace

Instrument::Instrument(DrawbarRule rule) : engineState(std::make_unique<DrawbarEngine>(rule)) {
    for (std::int32_t i = 0; i < kProgramCount; ++i) {
        std::snprintf(programs[i].name, sizeof programs[i].name, "init%d", static_cast<int>(i + 1));
        // The VST 2 build has no playing controls: they stay at their classic values.
        if (rule == DrawbarRule::Classic)
            for (std::int32_t index = kParameterCount; index < kControlCount; ++index)
                programs[i].setValue(index, kClassicValues[index]);
    }
    selectProgram(0);
    engineState->initEngine();
}

Instrument::~Instrument() = default;

float Instrument::parameter(std::int32_t index) const {
    return engineState->parameters().parameter(index);
}

void Instrument::setParameter(std::int32_t index, float value) {
    if (isControlIndex(index)) {
        // The current program remembers every value written while it is current.
        programs[current.load(relaxed)].setValue(index, value);
        engineState->parameters().store(index, value);
    }
    engineState->parameters().update(index, rate.load(relaxed));
}

const char* Instrument::parameterName(std::int32_t index) {
    return isControlIndex(index) ? kParameterNames[index] : "";
}

void Instrument::parameterDisplay(std::int32_t index, char* text, std::size_t size) const {
    if (!isControlIndex(index)) return copyText(text, "", size);
    floatToText(engineState->parameters().parameter(index), text, size);
}

void Instrument::applyValues(const ParameterSet& values) {
    for (std::int32_t index : kControlApplyOrder)
        if (values.given[index]) setParameter(index, values.values[index]);
}

void Instrument::selectProgram(std::int32_t p) {
    applyProgram(p, kControlApplyOrder);
}

void Instrument::settleProgram(std::int32_t p) {
    applyProgram(p, kSettleOrder);
}

void Instrument::applyProgram(std::int32_t p, std::span<const std::int32_t> order) {
    if (p < 0 || p >= kProgramCount) return;
    current.store(p, relaxed);
    for (std::int32_t index : order)
        setParameter(index, programs[p].value(index));
}

void Instrument::loadValues(const std::array<float, kControlCount>& values) {
    const std::int32_t p = current.load(relaxed);
    for (std::int32_t index = 0; index < kControlCount; ++index)
        programs[p].setValue(index, values[index]);
    selectProgram(p);
}

void Instrument::loadValues(const std::array<float, kParameterCount>& values) {
    std::array<float, kControlCount> all{};
    for (std::int32_t index = 0; index < kControlCount; ++index)
        all[index] = index < kParameterCount ? values[index] : parameter(index);
    loadValues(all);
}

bool Instrument::setProgramName(std::int32_t p, const char* name) {
    if (p < 0 || p >= kProgramCount || name == nullptr) return false;
    copyText(programs[p].name, name, sizeof programs[p].name);
    return true;
}

void Instrument::setProgramValue(std::int32_t p, std::int32_t index, float value) {
    if (p < 0 || p >= kProgramCount || !isControlIndex(index)) return;
    programs[p].setValue(index, value);
}

bool Instrument::copyProgram(std::int32_t destination) {
    if (destination < 0 || destination >= kProgramCount) return false;
    programs[destination] = programs[current.load(relaxed)];
    return true;
}

bool Instrument::setSampleRate(float r) {
    if (!setParameterRate(r)) return false;
    engineState->parameters().setTableStep(r);
    return true;
}

bool Instrument::setParameterRate(float r) {
    if (!isUsableSampleRate(r)) return false; // keep the previous rate
    rate.store(r, relaxed);
    return true;
}

void Instrument::noteOn(std::uint8_t note, std::uint8_t velocity, std::int32_t frame) {
    takePostedTuning();
    engineState->noteOn(note, velocity, frame);
}

void Instrument::noteOff(std::uint8_t note, std::int32_t frame) {
    engineState->noteOff(note, frame);
}

// The classic bend: its lower seven bits never counted.
void Instrument::pitchBend(std::uint16_t amount) {
    engineState->bendWheel(static_cast<std::uint16_t>(amount & 0x3F80));
}

void Instrument::bendWheel(std::uint16_t amount) {
    engineState->bendWheel(amount);
}

void Instrument::modWheel(std::uint8_t value) {
    engineState->modWheel(value);
}

void Instrument::channelPressure(std::uint8_t value) {
    engineState->channelPressure(value);
}

void Instrument::channelVolume(std::uint8_t value) {
    engineState->channelVolume(value);
}

void Instrument::expression(std::uint8_t value) {
    engineState->expression(value);
}

void Instrument::allSoundOff() {
    engineState->allSoundOff();
}

void Instrument::renderReplacing(float* left, float* right, std::int32_t frames) {
    if (left == nullptr || right == nullptr || frames <= 0) return;
    takePostedTuning();
    engineState->renderReplacing(left, right, frames);
}

void Instrument::render(float* left, float* right, std::int32_t frames) {
    takePostedTuning();
    engineState->render(left, right, frames);
}

void Instrument::setTuning(const TuningTable& table) {
    engineState->setTuning(table);
}

bool Instrument::applyTuningMessage(const std::uint8_t* bytes, std::size_t size) {
    takePostedTuning();
    return engineState->applyTuningMessage(bytes, size);
}

const TuningTable& Instrument::tuning() {
    takePostedTuning();
    return engineState->tuning();
}

TuningTable Instrument::untunedTable() {
    return DrawbarEngine::untunedTable();
}

void Instrument::takePostedTuning() {
    if (postedTuning.take(arrivingTuning)) engineState->setTuning(arrivingTuning);
}
