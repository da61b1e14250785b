#include "plugin/vst2/audio_effect.h"

#include "core/round_half_even.h"
#include "plugin/vst2/four_char_code.h"

namespace {

AudioEffect* objectOf(AEffect* effect) {
    return static_cast<AudioEffect*>(effect->object);
}

// The record's five entries: each reads the object from the record and makes one dynamic call.
VstIntPtr VSTCALL dispatchEntry(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                void* ptr, float opt) {
    AudioEffect* object = objectOf(effect);
    VstIntPtr result = object->dispatcher(opcode, index, value, ptr, opt);
    if (opcode == effClose) {
        delete object; // the record goes with it
        return 1;
    }
    return result;
}

void VSTCALL processEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    objectOf(effect)->process(inputs, outputs, frames);
}

void VSTCALL processReplacingEntry(AEffect* effect, float** inputs, float** outputs,
                                   VstInt32 frames) {
    objectOf(effect)->processReplacing(inputs, outputs, frames);
}

void VSTCALL setParameterEntry(AEffect* effect, VstInt32 index, float value) {
    objectOf(effect)->setParameter(index, value);
}

float VSTCALL getParameterEntry(AEffect* effect, VstInt32 index) {
    return objectOf(effect)->getParameter(index);
}

} // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster, std::int32_t numPrograms,
                         std::int32_t numParams)
    : numPrograms(numPrograms), numParams(numParams), audioMaster(audioMaster) {
    cEffect.magic = kEffectRecordMagic;
    cEffect.dispatcher = dispatchEntry;
    cEffect.process = processEntry;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = fourCharCode('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingEntry;
}

AudioEffect::~AudioEffect() {
    delete editor;
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

VstIntPtr AudioEffect::callHost(std::int32_t opcode, std::int32_t index, VstIntPtr value, void* ptr,
                                float opt, VstIntPtr noHost) {
    if (audioMaster == nullptr) return noHost;
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

void AudioEffect::setParameterAutomated(std::int32_t index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

std::int32_t AudioEffect::getMasterVersion() {
    auto version = static_cast<std::int32_t>(callHost(audioMasterVersion, 0, 0, nullptr, 0, 1));
    return version == 0 ? 1 : version;
}

std::int32_t AudioEffect::getCurrentUniqueId() {
    return static_cast<std::int32_t>(callHost(audioMasterCurrentId, 0, 0, nullptr, 0));
}

void AudioEffect::masterIdle() {
    callHost(audioMasterIdle, 0, 0, nullptr, 0);
}

bool AudioEffect::isInputConnected(std::int32_t input) {
    return callHost(audioMasterPinConnected, input, 0, nullptr, 0, 0) == 0;
}

bool AudioEffect::isOutputConnected(std::int32_t output) {
    return callHost(audioMasterPinConnected, output, 1, nullptr, 0, 0) == 0;
}

VstIntPtr AudioEffect::dispatcher(std::int32_t opcode, std::int32_t index, VstIntPtr value,
                                  void* ptr, float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        // Negative numbers would index the program table out of range.
        if (value >= 0 && value < numPrograms) setProgram(static_cast<std::int32_t>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    // The text opcodes never touch a null buffer.
    case effSetProgramName:
        if (text != nullptr) setProgramName(text);
        return 0;
    case effGetProgramName:
        if (text != nullptr) getProgramName(text);
        return 0;
    case effGetParamLabel:
        if (text != nullptr) getParameterLabel(index, text);
        return 0;
    case effGetParamDisplay:
        if (text != nullptr) getParameterDisplay(index, text);
        return 0;
    case effGetParamName:
        if (text != nullptr) getParameterName(index, text);
        return 0;
    case effGetVu:
        return roundToInt(static_cast<double>(getVu()) * 32767.0);
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<std::int32_t>(value));
        return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect: {
        if (editor == nullptr || ptr == nullptr) return 0;
        auto** hostRect = static_cast<ERect**>(ptr);
        ERect* rect = *hostRect;
        std::int32_t result = editor->getRect(&rect);
        *hostRect = rect;
        return result;
    }
    case effEditOpen:
        return editor != nullptr ? editor->open(ptr) : 0;
    case effEditClose:
        if (editor != nullptr) editor->close();
        return 0;
    case effEditIdle:
        if (editor != nullptr) editor->idle();
        return 0;
    case effIdentify:
        return fourCharCode('N', 'v', 'E', 'f');
    case effGetChunk:
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        return setChunk(ptr, static_cast<std::int32_t>(value), index != 0);
    default:
        return 0; // effEditDraw, effEditMouse, effEditKey, effEditTop, effEditSleep, unknown
    }
}
