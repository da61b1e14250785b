#include "plugin/vst2/audio_effect_x.h"

#include "core/round_half_even.h"

namespace {

// The modifier of a key code: the low 8 bits of opt rounded; never overflows whatever arrives.
unsigned char keyModifier(float opt) {
    return static_cast<unsigned char>(static_cast<std::uint32_t>(roundToInt(opt)) & 0xFFu);
}

VstIntPtr yesNo(bool answer) {
    return answer ? 1 : 0;
}

} // namespace

VstIntPtr AudioEffectX::dispatcher(std::int32_t opcode, std::int32_t index, VstIntPtr value,
                                   void* ptr, float opt) {
    char* text = static_cast<char*>(ptr);
    const auto count = static_cast<std::int32_t>(value);
    switch (opcode) {
    case effProcessEvents:
        return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated:
        return yesNo(canParameterBeAutomated(index));
    case effString2Parameter:
        return text != nullptr && string2parameter(index, text);
    case effGetNumProgramCategories:
        return getNumCategories();
    case effGetProgramNameIndexed:
        return text != nullptr && getProgramNameIndexed(count, index, text);
    case effCopyProgram:
        return yesNo(copyProgram(index));
    case effConnectInput:
        inputConnected(index, value != 0);
        return 1;
    case effConnectOutput:
        outputConnected(index, value != 0);
        return 1;
    case effGetInputProperties:
        return ptr != nullptr && getInputProperties(index, static_cast<VstPinProperties*>(ptr));
    case effGetOutputProperties:
        return ptr != nullptr && getOutputProperties(index, static_cast<VstPinProperties*>(ptr));
    case effGetPlugCategory:
        return getPlugCategory();
    case effGetCurrentPosition:
        return reportCurrentPosition();
    case effGetDestinationBuffer:
        return reinterpret_cast<VstIntPtr>(reportDestinationBuffer());
    case effOfflineNotify:
        return yesNo(offlineNotify(ptr, count, index != 0));
    case effOfflinePrepare:
        return yesNo(offlinePrepare(ptr, count));
    case effOfflineRun:
        return yesNo(offlineRun(ptr, count));
    case effProcessVarIo:
        return yesNo(processVariableIo(ptr));
    case effSetSpeakerArrangement:
        return yesNo(setSpeakerArrangement(reinterpret_cast<void*>(value), ptr));
    case effSetBlockSizeAndSampleRate:
        setBlockSizeAndSampleRate(count, opt);
        return 1;
    case effSetBypass:
        return yesNo(setBypass(value != 0));
    case effGetEffectName:
        return text != nullptr && getEffectName(text);
    case effGetErrorText:
        return text != nullptr && getErrorText(text);
    case effGetVendorString:
        return text != nullptr && getVendorString(text);
    case effGetProductString:
        return text != nullptr && getProductString(text);
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return text != nullptr ? canDo(text) : 0;
    case effGetTailSize:
        return getTailSize();
    case effIdle:
        return fxIdle();
    case effGetIcon:
        return reinterpret_cast<VstIntPtr>(getIcon());
    case effSetViewPosition:
        return yesNo(setViewPosition(index, count));
    case effGetParameterProperties:
        return ptr != nullptr && getParameterProperties(index, ptr);
    case effKeysRequired:
        return keysRequired() ? 0 : 1;
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp: {
        if (editor == nullptr) return 0;
        VstKeyCode key{index, static_cast<unsigned char>(static_cast<std::uint32_t>(count) & 0xFFu),
                       keyModifier(opt)};
        return opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
    }
    case effSetEditKnobMode:
        return editor != nullptr ? editor->setKnobMode(count) : 0;
    case effGetMidiProgramName:
        return getMidiProgramName(index, ptr);
    case effGetCurrentMidiProgram:
        return getCurrentMidiProgram(index, ptr);
    case effGetMidiProgramCategory:
        return getMidiProgramCategory(index, ptr);
    case effHasMidiProgramsChanged:
        return yesNo(hasMidiProgramsChanged(index));
    case effGetMidiKeyName:
        return yesNo(getMidiKeyName(index, ptr));
    case effBeginSetProgram:
        return yesNo(beginSetProgram());
    case effEndSetProgram:
        return yesNo(endSetProgram());
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

void AudioEffectX::setBlockSizeAndSampleRate(std::int32_t size, float rate) {
    blockSize.store(size, std::memory_order_relaxed);
    sampleRate.store(rate, std::memory_order_relaxed);
}

void AudioEffectX::wantEvents(std::int32_t filter) {
    callHost(audioMasterWantMidi, 0, filter, nullptr, 0);
}

// Host-call wrappers. A boolean is true exactly when the host's answer is not 0.
void* AudioEffectX::getTimeInfo(std::int32_t filter) {
    return reinterpret_cast<void*>(callHost(audioMasterGetTime, 0, filter, nullptr, 0));
}
std::int32_t AudioEffectX::tempoAt(std::int32_t pos) {
    return static_cast<std::int32_t>(callHost(audioMasterTempoAt, 0, pos, nullptr, 0));
}
std::int32_t AudioEffectX::getNumAutomatableParameters() {
    return static_cast<std::int32_t>(
        callHost(audioMasterGetNumAutomatableParameters, 0, 0, nullptr, 0));
}
std::int32_t AudioEffectX::getParameterQuantization() {
    return static_cast<std::int32_t>(
        callHost(audioMasterGetParameterQuantization, 0, 0, nullptr, 0));
}
bool AudioEffectX::ioChanged() {
    return callHost(audioMasterIOChanged, 0, 0, nullptr, 0) != 0;
}
bool AudioEffectX::needIdle() {
    return callHost(audioMasterNeedIdle, 0, 0, nullptr, 0) != 0;
}
bool AudioEffectX::sizeWindow(std::int32_t width, std::int32_t height) {
    return callHost(audioMasterSizeWindow, width, height, nullptr, 0) != 0;
}
double AudioEffectX::updateSampleRate() {
    callHost(audioMasterGetSampleRate, 0, 0, nullptr, 0); // the answer is never used as a value
    return getSampleRate();
}
std::int32_t AudioEffectX::updateBlockSize() {
    callHost(audioMasterGetBlockSize, 0, 0, nullptr, 0);
    return getBlockSize();
}
std::int32_t AudioEffectX::getInputLatency() {
    return static_cast<std::int32_t>(callHost(audioMasterGetInputLatency, 0, 0, nullptr, 0));
}
std::int32_t AudioEffectX::getOutputLatency() {
    return static_cast<std::int32_t>(callHost(audioMasterGetOutputLatency, 0, 0, nullptr, 0));
}
AEffect* AudioEffectX::getPreviousPlug() {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug, 0, 0, nullptr, 0));
}
AEffect* AudioEffectX::getNextPlug() {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug, 0, 0, nullptr, 0));
}
std::int32_t AudioEffectX::willProcessReplacing() {
    return static_cast<std::int32_t>(
        callHost(audioMasterWillReplaceOrAccumulate, 0, 0, nullptr, 0));
}
std::int32_t AudioEffectX::getCurrentProcessLevel() {
    return static_cast<std::int32_t>(callHost(audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0));
}
std::int32_t AudioEffectX::getAutomationState() {
    return static_cast<std::int32_t>(callHost(audioMasterGetAutomationState, 0, 0, nullptr, 0));
}
bool AudioEffectX::offlineStart(void* audioFiles, std::int32_t numAudioFiles,
                                std::int32_t numNewAudioFiles) {
    return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, audioFiles, 0) != 0;
}
bool AudioEffectX::offlineRead(void* offline, std::int32_t option, bool readSource) {
    return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, offline, 0) != 0;
}
bool AudioEffectX::offlineWrite(void* offline, std::int32_t option) {
    return callHost(audioMasterOfflineWrite, 0, option, offline, 0) != 0;
}
std::int32_t AudioEffectX::offlineGetCurrentPass() {
    return callHost(audioMasterOfflineGetCurrentPass, 0, 0, nullptr, 0) != 0 ? 1 : 0;
}
std::int32_t AudioEffectX::offlineGetCurrentMetaPass() {
    return callHost(audioMasterOfflineGetCurrentMetaPass, 0, 0, nullptr, 0) != 0 ? 1 : 0;
}
void AudioEffectX::setOutputSamplerate(float rate) {
    callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, rate);
}
bool AudioEffectX::getHostSpeakerArrangement(void* input, void* output) {
    return callHost(audioMasterGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(input), output,
                    0) != 0;
}
bool AudioEffectX::getHostVendorString(char* text) {
    return callHost(audioMasterGetVendorString, 0, 0, text, 0) != 0;
}
bool AudioEffectX::getHostProductString(char* text) {
    return callHost(audioMasterGetProductString, 0, 0, text, 0) != 0;
}
std::int32_t AudioEffectX::getHostVendorVersion() {
    return static_cast<std::int32_t>(callHost(audioMasterGetVendorVersion, 0, 0, nullptr, 0));
}
std::int32_t AudioEffectX::hostVendorSpecific(std::int32_t arg1, std::int32_t arg2, void* ptrArg,
                                              float floatArg) {
    return static_cast<std::int32_t>(
        callHost(audioMasterVendorSpecific, arg1, arg2, ptrArg, floatArg));
}
std::int32_t AudioEffectX::canHostDo(char* text) {
    return callHost(audioMasterCanDo, 0, 0, text, 0) != 0 ? 1 : 0;
}
std::int32_t AudioEffectX::getHostLanguage() {
    return static_cast<std::int32_t>(callHost(audioMasterGetLanguage, 0, 0, nullptr, 0));
}
void* AudioEffectX::openWindow(void* window) {
    return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window, 0));
}
bool AudioEffectX::closeWindow(void* window) {
    return callHost(audioMasterCloseWindow, 0, 0, window, 0) != 0;
}
void* AudioEffectX::getDirectory() {
    return reinterpret_cast<void*>(callHost(audioMasterGetDirectory, 0, 0, nullptr, 0));
}
bool AudioEffectX::updateDisplay() {
    return callHost(audioMasterUpdateDisplay, 0, 0, nullptr, 0) != 0;
}
bool AudioEffectX::beginEdit(std::int32_t index) {
    return callHost(audioMasterBeginEdit, index, 0, nullptr, 0) != 0;
}
bool AudioEffectX::endEdit(std::int32_t index) {
    return callHost(audioMasterEndEdit, index, 0, nullptr, 0) != 0;
}
bool AudioEffectX::openFileSelector(void* selector) {
    if (selector == nullptr) return false;
    return callHost(audioMasterOpenFileSelector, 0, 0, selector, 0) != 0;
}
