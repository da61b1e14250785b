#include "plugin/vst2/avst_xsynth.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "core/bounded_text.h"
#include "plugin/vst2/four_char_code.h"
#include "plugin/vst2/vst2_midi.h"
#include "synth/identity.h"

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

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

bool hasOutputs(float** outputs) {
    return outputs != nullptr && outputs[0] != nullptr && outputs[1] != nullptr;
}

} // namespace

std::int32_t instrumentUniqueId() {
    return fourCharCode('U', 'l', 'v', 'r');
}

// The instrument has built its programs, selected program 0 and built its tables by the time the
// record gets its values; the order of what the host can observe is the same as ever.
AVstXSynth::AVstXSynth(audioMasterCallback audioMaster, EditorFactory makeEditor)
    : AudioEffectX(audioMaster, kProgramCount, kParameterCount) {
    setEditor(makeEditor != nullptr ? makeEditor(this) : nullptr);
    curProgram.store(instrument.currentProgram(), relaxed);
    if (audioMaster != nullptr) {
        setNumInputs(0);
        setNumOutputs(2);
        canProcessReplacing(true);
        hasVu(false);
        hasClip(false);
        isSynth(true);
        setUniqueID(instrumentUniqueId());
    }
    suspend();
}

// --- Parameters ----------------------------------------------------------------------------

// The instrument's playing controls lie beyond the sixteen parameters this build offers: a host
// that names them reaches nothing, as with any index outside.
void AVstXSynth::setParameter(std::int32_t index, float value) {
    if (isParameterIndex(index)) instrument.setParameter(index, value);
}

float AVstXSynth::getParameter(std::int32_t index) {
    return isParameterIndex(index) ? instrument.parameter(index) : 0.0f;
}

void AVstXSynth::getParameterLabel(std::int32_t /*index*/, char* label) {
    copyText(label, kParameterLabel, kParamTextSize);
}

void AVstXSynth::getParameterDisplay(std::int32_t index, char* text) {
    instrument.parameterDisplay(isParameterIndex(index) ? index : -1, text, kParamTextSize);
}

void AVstXSynth::getParameterName(std::int32_t index, char* text) {
    copyText(text, Instrument::parameterName(isParameterIndex(index) ? index : -1), kParamTextSize);
}

void AVstXSynth::setSampleRate(float rate) {
    // An unusable rate keeps the previous rate and table step.
    if (instrument.setSampleRate(rate)) AudioEffectX::setSampleRate(rate);
}

// This request leaves the pitches on the previous rate: only lengths and the cut-off follow.
void AVstXSynth::setBlockSizeAndSampleRate(std::int32_t size, float rate) {
    if (instrument.setParameterRate(rate))
        AudioEffectX::setBlockSizeAndSampleRate(size, rate);
    else
        blockSize.store(size, relaxed);
}

// --- Programs ------------------------------------------------------------------------------

void AVstXSynth::setProgram(std::int32_t program) {
    if (program < 0 || program >= kProgramCount) return;
    curProgram.store(program, relaxed);
    instrument.selectProgram(program);
}

void AVstXSynth::setProgramName(char* name) {
    instrument.setProgramName(instrument.currentProgram(), name);
}

void AVstXSynth::getProgramName(char* name) {
    copyText(name, instrument.program(instrument.currentProgram()).name, kProgramNameSize);
}

bool AVstXSynth::getProgramNameIndexed(std::int32_t /*category*/, std::int32_t index, char* text) {
    if (index < 0 || index >= kProgramCount) return false;
    copyText(text, instrument.program(index).name, kProgramNameSize);
    return true;
}

bool AVstXSynth::copyProgram(std::int32_t destination) {
    return instrument.copyProgram(destination);
}

// --- Identity ------------------------------------------------------------------------------

void AVstXSynth::resume() {
    wantEvents(1);
}

bool AVstXSynth::getOutputProperties(std::int32_t index, VstPinProperties* properties) {
    if (index < 0 || index > 1) return false;
    copyText(properties->label, kOutputNames[index], sizeof properties->label);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool AVstXSynth::getEffectName(char* name) {
    copyText(name, kInstrumentName, kEffectNameSize);
    return true;
}

bool AVstXSynth::getVendorString(char* text) {
    copyText(text, kVendorName, kIdentityTextSize);
    return true;
}

bool AVstXSynth::getProductString(char* text) {
    copyText(text, kProductName, kIdentityTextSize);
    return true;
}

std::int32_t AVstXSynth::canDo(char* text) {
    return std::strcmp(text, "receiveVstEvents") == 0 ||
                   std::strcmp(text, "receiveVstMidiEvent") == 0
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
        playVst2Midi(instrument, static_cast<std::uint8_t>(midi->midiData[0]),
                     static_cast<std::uint8_t>(midi->midiData[1]),
                     static_cast<std::uint8_t>(midi->midiData[2]), midi->deltaFrames);
    }
    return 1;
}

void AVstXSynth::process(float** /*inputs*/, float** outputs, std::int32_t sampleFrames) {
    if (hasOutputs(outputs)) instrument.render(outputs[0], outputs[1], sampleFrames);
}

void AVstXSynth::processReplacing(float** /*inputs*/, float** outputs, std::int32_t sampleFrames) {
    if (hasOutputs(outputs)) instrument.renderReplacing(outputs[0], outputs[1], sampleFrames);
}
