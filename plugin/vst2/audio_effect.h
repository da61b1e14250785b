// The base plug-in class: it embeds the effect record, keeps the host callback and the audio
// settings, turns the base opcodes 0 to 24 into overridable operations, and calls the host.
#pragma once

#include <atomic>
#include <cstdint>

#include "plugin/vst2/aeff_editor.h"
#include "plugin/vst2/aeffectx.h"

class AudioEffect {
  public:
    AudioEffect(audioMasterCallback audioMaster, std::int32_t numPrograms, std::int32_t numParams);
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // Overridable operations, in the order of their slots.
    virtual void setSampleRate(float rate) { sampleRate.store(rate, std::memory_order_relaxed); }
    virtual void setBlockSize(std::int32_t size) {
        blockSize.store(size, std::memory_order_relaxed);
    }
    virtual void setParameter(std::int32_t /*index*/, float /*value*/) {}
    virtual float getParameter(std::int32_t /*index*/) { return 0.0f; }
    // [ui thread] Sets a parameter and reports it to the host as automation.
    virtual void setParameterAutomated(std::int32_t index, float value);
    virtual void process(float** inputs, float** outputs, std::int32_t sampleFrames) = 0;
    virtual void processReplacing(float** /*inputs*/, float** /*outputs*/,
                                  std::int32_t /*sampleFrames*/) {}
    virtual VstIntPtr dispatcher(std::int32_t opcode, std::int32_t index, VstIntPtr value,
                                 void* ptr, float opt);
    virtual void open() {}
    virtual void close() {}
    virtual std::int32_t getProgram() { return curProgram.load(std::memory_order_relaxed); }
    virtual void setProgram(std::int32_t program) {
        curProgram.store(program, std::memory_order_relaxed);
    }
    virtual void setProgramName(char* /*name*/) {}
    virtual void getProgramName(char* /*name*/) {}
    virtual void getParameterLabel(std::int32_t /*index*/, char* /*label*/) {}
    virtual void getParameterDisplay(std::int32_t /*index*/, char* /*text*/) {}
    virtual void getParameterName(std::int32_t /*index*/, char* /*text*/) {}
    virtual float getVu() { return 0.0f; }
    virtual std::int32_t getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
    virtual std::int32_t setChunk(void* /*data*/, std::int32_t /*byteSize*/, bool /*isPreset*/) {
        return 0;
    }
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setUniqueID(std::int32_t id) { cEffect.uniqueID = id; }
    virtual void setNumInputs(std::int32_t count) { cEffect.numInputs = count; }
    virtual void setNumOutputs(std::int32_t count) { cEffect.numOutputs = count; }
    virtual void hasVu(bool state) { setFlag(effFlagsHasVu, state); }
    virtual void hasClip(bool state) { setFlag(effFlagsHasClip, state); }
    virtual void canMono(bool state) { setFlag(effFlagsCanMono, state); }
    virtual void canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
    virtual void programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
    virtual void setRealtimeQualities(std::int32_t q) { cEffect.realQualities = q; }
    virtual void setOfflineQualities(std::int32_t q) { cEffect.offQualities = q; }
    virtual void setInitialDelay(std::int32_t delay) { cEffect.initialDelay = delay; }
    virtual std::int32_t getMasterVersion();
    virtual std::int32_t getCurrentUniqueId();
    virtual void masterIdle();
    virtual bool isInputConnected(std::int32_t input);
    virtual bool isOutputConnected(std::int32_t output);

    // Attaches (or, with null, detaches) the owned editor and sets the has-editor flag to match.
    void setEditor(AEffEditor* newEditor);
    AEffect* getAeffect() { return &cEffect; }

    // Read access for the editor and the tests.
    AEffEditor* getEditor() const { return editor; }
    float getSampleRate() const { return sampleRate.load(std::memory_order_relaxed); }
    std::int32_t getBlockSize() const { return blockSize.load(std::memory_order_relaxed); }
    audioMasterCallback getAudioMaster() const { return audioMaster; }

  protected:
    void setFlag(std::int32_t bit, bool state) {
        cEffect.flags = state ? (cEffect.flags | bit) : (cEffect.flags & ~bit);
    }
    // Calls the host with this object's record; gives `noHost` when there is no callback.
    VstIntPtr callHost(std::int32_t opcode, std::int32_t index, VstIntPtr value, void* ptr,
                       float opt, VstIntPtr noHost = 0);

    AEffect cEffect{};
    std::atomic<float> sampleRate{44100.0f};
    AEffEditor* editor = nullptr; // owned
    std::int32_t numPrograms;
    std::int32_t numParams;
    std::atomic<std::int32_t> curProgram{0};
    std::atomic<std::int32_t> blockSize{1024};
    audioMasterCallback audioMaster;
};
