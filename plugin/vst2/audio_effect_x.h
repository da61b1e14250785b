// The second-generation plug-in class: opcodes 25 to 68 as overridable operations, and the
// wrappers for host opcodes 6 to 45. Adds no fields.
#pragma once

#include "plugin/vst2/audio_effect.h"

class AudioEffectX : public AudioEffect {
  public:
    using AudioEffect::AudioEffect;

    VstIntPtr dispatcher(std::int32_t opcode, std::int32_t index, VstIntPtr value, void* ptr,
                         float opt) override;

    // Overridable operations, in the order of their slots. Host calls give their "no host"
    // value when there is no callback.
    virtual void* getTimeInfo(std::int32_t filter);
    virtual std::int32_t tempoAt(std::int32_t pos);
    // [audio thread] The events of the coming block.
    virtual std::int32_t processEvents(VstEvents* /*events*/) { return 0; }
    virtual std::int32_t getNumAutomatableParameters();
    virtual std::int32_t getParameterQuantization();
    virtual bool canParameterBeAutomated(std::int32_t /*index*/) { return true; }
    virtual bool string2parameter(std::int32_t /*index*/, char* /*text*/) { return false; }
    virtual float getChannelParameter(std::int32_t /*channel*/, std::int32_t /*index*/) {
        return 0.0f;
    }
    virtual std::int32_t getNumCategories() { return 1; }
    virtual bool getProgramNameIndexed(std::int32_t /*category*/, std::int32_t /*index*/,
                                       char* /*text*/) {
        return false;
    }
    virtual bool copyProgram(std::int32_t /*destination*/) { return false; }
    virtual bool ioChanged();
    virtual bool needIdle();
    virtual bool sizeWindow(std::int32_t width, std::int32_t height);
    virtual double updateSampleRate();
    virtual std::int32_t updateBlockSize();
    virtual std::int32_t getInputLatency();
    virtual std::int32_t getOutputLatency();
    virtual AEffect* getPreviousPlug();
    virtual AEffect* getNextPlug();
    virtual void inputConnected(std::int32_t /*index*/, bool /*state*/) {}
    virtual void outputConnected(std::int32_t /*index*/, bool /*state*/) {}
    virtual bool getInputProperties(std::int32_t /*index*/, VstPinProperties* /*properties*/) {
        return false;
    }
    virtual bool getOutputProperties(std::int32_t /*index*/, VstPinProperties* /*properties*/) {
        return false;
    }
    virtual std::int32_t getPlugCategory() {
        return (cEffect.flags & effFlagsIsSynth) != 0 ? kPlugCategSynth : kPlugCategUnknown;
    }
    virtual std::int32_t willProcessReplacing();
    virtual std::int32_t getCurrentProcessLevel();
    virtual std::int32_t getAutomationState();
    virtual void isAsynchronous(bool state) { setFlag(effFlagsExtIsAsync, state); }
    virtual void hasExternalBuffer(bool state) { setFlag(effFlagsExtHasBuffer, state); }
    virtual std::int32_t reportCurrentPosition() { return 0; }
    virtual float* reportDestinationBuffer() { return nullptr; }
    virtual bool offlineRead(void* offline, std::int32_t option, bool readSource);
    virtual bool offlineWrite(void* offline, std::int32_t option);
    virtual bool offlineStart(void* audioFiles, std::int32_t numAudioFiles,
                              std::int32_t numNewAudioFiles);
    virtual std::int32_t offlineGetCurrentPass();
    virtual std::int32_t offlineGetCurrentMetaPass();
    virtual bool offlineNotify(void* /*audioFiles*/, std::int32_t /*count*/, bool /*start*/) {
        return false;
    }
    virtual bool offlinePrepare(void* /*tasks*/, std::int32_t /*count*/) { return false; }
    virtual bool offlineRun(void* /*tasks*/, std::int32_t /*count*/) { return false; }
    virtual std::int32_t offlineGetNumPasses() { return 0; }
    virtual std::int32_t offlineGetNumMetaPasses() { return 0; }
    virtual void setOutputSamplerate(float rate);
    virtual bool getHostSpeakerArrangement(void* input, void* output);
    virtual bool getHostVendorString(char* text);
    virtual bool getHostProductString(char* text);
    virtual std::int32_t getHostVendorVersion();
    virtual std::int32_t hostVendorSpecific(std::int32_t arg1, std::int32_t arg2, void* ptrArg,
                                            float floatArg);
    virtual std::int32_t canHostDo(char* text);
    virtual void isSynth(bool state) { setFlag(effFlagsIsSynth, state); }
    virtual void noTail(bool state) { setFlag(effFlagsNoSoundInStop, state); }
    virtual std::int32_t getHostLanguage();
    virtual void* openWindow(void* window);
    virtual bool closeWindow(void* window);
    virtual void* getDirectory();
    virtual bool updateDisplay();
    virtual bool processVariableIo(void* /*variableIo*/) { return false; }
    virtual bool setSpeakerArrangement(void* /*input*/, void* /*output*/) { return false; }
    virtual void setBlockSizeAndSampleRate(std::int32_t size, float rate);
    virtual bool setBypass(bool /*onOff*/) { return false; }
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getErrorText(char* /*text*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual std::int32_t getVendorVersion() { return 0; }
    virtual VstIntPtr vendorSpecific(std::int32_t /*index*/, VstIntPtr /*value*/, void* /*ptr*/,
                                     float /*opt*/) {
        return 0;
    }
    virtual std::int32_t canDo(char* /*text*/) { return 0; }
    virtual void* getIcon() { return nullptr; }
    virtual bool setViewPosition(std::int32_t /*x*/, std::int32_t /*y*/) { return false; }
    virtual std::int32_t getTailSize() { return 0; }
    virtual std::int32_t fxIdle() { return 0; }
    virtual bool getParameterProperties(std::int32_t /*index*/, void* /*properties*/) {
        return false;
    }
    virtual bool keysRequired() { return false; }
    virtual std::int32_t getVstVersion() { return 2200; }
    virtual std::int32_t getMidiProgramName(std::int32_t /*channel*/, void* /*name*/) { return 0; }
    virtual std::int32_t getCurrentMidiProgram(std::int32_t /*channel*/, void* /*name*/) {
        return -1;
    }
    virtual std::int32_t getMidiProgramCategory(std::int32_t /*channel*/, void* /*category*/) {
        return 0;
    }
    virtual bool hasMidiProgramsChanged(std::int32_t /*channel*/) { return false; }
    virtual bool getMidiKeyName(std::int32_t /*channel*/, void* /*keyName*/) { return false; }
    virtual bool beginSetProgram() { return false; }
    virtual bool endSetProgram() { return false; }
    virtual bool beginEdit(std::int32_t index);
    virtual bool endEdit(std::int32_t index);
    virtual bool openFileSelector(void* selector);

    // [audio thread or ui thread] Asks the host for MIDI events; not overridable.
    void wantEvents(std::int32_t filter = 1);
};
