#include "synth/avst_xsynth.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "host/vst_utils.h"

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

// A rate the engine can run at: finite, above 0, and with a finite table step.
bool isUsableSampleRate(float rate) {
    return std::isfinite(rate) && rate > 0.0f && std::isfinite(static_cast<float>(4096.0 / rate));
}

// Event i of the host's list. The list holds numEvents pointers after its header, more than the
// two its declaration shows; indexing the declared array past 2 is undefined, so the pointer is
// copied from the list's bytes.
const VstEvent* eventAt(const VstEvents* events, std::int32_t i) {
    const VstEvent* event = nullptr;
    std::memcpy(&event,
                reinterpret_cast<const unsigned char*>(events) + offsetof(VstEvents, events) +
                    static_cast<std::size_t>(i) * sizeof event,
                sizeof event);
    return event;
}

} // namespace

std::int32_t instrumentUniqueId() { return fourCharCode('U', 'l', 'v', 'r'); }

AVstXSynth::AVstXSynth(audioMasterCallback audioMaster, EditorFactory makeEditor)
    : AudioEffectX(audioMaster, kProgramCount, kParameterCount) {
    setEditor(makeEditor != nullptr ? makeEditor(this) : nullptr);
    for (std::int32_t i = 0; i < kProgramCount; ++i)
        std::snprintf(programs[i].name, sizeof programs[i].name, "init%d", static_cast<int>(i + 1));
    setProgram(0);
    if (audioMaster != nullptr) {
        setNumInputs(0);
        setNumOutputs(2);
        canProcessReplacing(true);
        hasVu(false);
        hasClip(false);
        isSynth(true);
        setUniqueID(instrumentUniqueId());
    }
    engine.initEngine();
    suspend();
}

// --- Parameters ----------------------------------------------------------------------------

void AVstXSynth::setParameter(std::int32_t index, float value) {
    if (isParameterIndex(index)) {
        // The current program remembers every value written while it is current.
        programs[curProgram.load(relaxed)].setValue(index, value);
        engine.storeParameter(index, value);
    }
    engine.updateParameter(index, getSampleRate());
}

float AVstXSynth::getParameter(std::int32_t index) { return engine.parameter(index); }

void AVstXSynth::getParameterLabel(std::int32_t /*index*/, char* label) {
    copyText(label, kParameterLabel, kParamTextSize);
}

void AVstXSynth::getParameterDisplay(std::int32_t index, char* text) {
    if (!isParameterIndex(index)) return copyText(text, "", kParamTextSize);
    floatToText(engine.parameter(index), text, kParamTextSize);
}

void AVstXSynth::getParameterName(std::int32_t index, char* text) {
    copyText(text, isParameterIndex(index) ? kParameterNames[index] : "", kParamTextSize);
}

void AVstXSynth::setSampleRate(float rate) {
    if (!isUsableSampleRate(rate)) return; // keep the previous rate and table step
    AudioEffectX::setSampleRate(rate);
    engine.setTableStep(rate);
}

void AVstXSynth::setBlockSizeAndSampleRate(std::int32_t size, float rate) {
    if (isUsableSampleRate(rate))
        AudioEffectX::setBlockSizeAndSampleRate(size, rate);
    else
        blockSize.store(size, relaxed);
}

// --- Programs ------------------------------------------------------------------------------

void AVstXSynth::setProgram(std::int32_t program) {
    if (program < 0 || program >= kProgramCount) return;
    curProgram.store(program, relaxed);
    // Later parameters of the sequence still hold the previous program's values while earlier
    // ones are applied; the drawbar weights depend on that order.
    for (std::int32_t index : kProgramApplyOrder) setParameter(index, programs[program].value(index));
}

void AVstXSynth::setProgramName(char* name) {
    copyText(programs[curProgram.load(relaxed)].name, name, kProgramNameSize);
}

void AVstXSynth::getProgramName(char* name) {
    copyText(name, programs[curProgram.load(relaxed)].name, kProgramNameSize);
}

bool AVstXSynth::getProgramNameIndexed(std::int32_t /*category*/, std::int32_t index, char* text) {
    if (index < 0 || index >= kProgramCount) return false;
    copyText(text, programs[index].name, kProgramNameSize);
    return true;
}

bool AVstXSynth::copyProgram(std::int32_t destination) {
    if (destination < 0 || destination >= kProgramCount) return false;
    programs[destination] = programs[curProgram.load(relaxed)];
    return true;
}

// --- Identity ------------------------------------------------------------------------------

void AVstXSynth::resume() { wantEvents(1); }

bool AVstXSynth::getOutputProperties(std::int32_t index, VstPinProperties* properties) {
    if (index < 0 || index > 1) return false;
    std::snprintf(properties->label, sizeof properties->label, "Draw %d", static_cast<int>(index + 1));
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool AVstXSynth::getEffectName(char* name) {
    copyText(name, "UlvoDraw", kEffectNameSize);
    return true;
}

bool AVstXSynth::getVendorString(char* text) {
    copyText(text, "Korvane", kIdentityTextSize);
    return true;
}

bool AVstXSynth::getProductString(char* text) {
    copyText(text, "Ulvo DrawBar Synth", kIdentityTextSize);
    return true;
}

std::int32_t AVstXSynth::canDo(char* text) {
    return std::strcmp(text, "receiveVstEvents") == 0 || std::strcmp(text, "receiveVstMidiEvent") == 0
               ? 1
               : -1;
}

// --- Audio ---------------------------------------------------------------------------------

std::int32_t AVstXSynth::processEvents(VstEvents* events) {
    if (events == nullptr) return 1;
    for (std::int32_t i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = eventAt(events, i);
        if (event == nullptr || event->type != kVstMidiType) continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        engine.handleMidi(static_cast<std::uint8_t>(midi->midiData[0]),
                          static_cast<std::uint8_t>(midi->midiData[1]),
                          static_cast<std::uint8_t>(midi->midiData[2]), midi->deltaFrames);
    }
    return 1;
}

void AVstXSynth::render(float** outputs, std::int32_t sampleFrames) {
    if (outputs == nullptr || outputs[0] == nullptr || outputs[1] == nullptr) return;
    engine.render(outputs[0], outputs[1], sampleFrames);
}

void AVstXSynth::process(float** /*inputs*/, float** outputs, std::int32_t sampleFrames) {
    render(outputs, sampleFrames);
}

void AVstXSynth::processReplacing(float** /*inputs*/, float** outputs, std::int32_t sampleFrames) {
    if (outputs == nullptr || outputs[0] == nullptr || outputs[1] == nullptr || sampleFrames <= 0)
        return;
    std::memset(outputs[0], 0, sizeof(float) * static_cast<std::size_t>(sampleFrames));
    std::memset(outputs[1], 0, sizeof(float) * static_cast<std::size_t>(sampleFrames));
    render(outputs, sampleFrames);
}
