// The VST 2 front: the instrument behind the plug-in interface. Maps the host's opcodes, its
// event lists and its buffers onto the format-neutral instrument, and answers identity and
// capability requests.
#pragma once

#include <cstdint>

#include "plugin/vst2/audio_effect_x.h"
#include "synth/instrument.h"

class AVstXSynth : public AudioEffectX {
  public:
    // Makes the instrument's editor for a synth; kept apart so that the synth does not depend on
    // the editor. May be null (no editor).
    using EditorFactory = AEffEditor* (*)(AVstXSynth* synth);

    AVstXSynth(audioMasterCallback audioMaster, EditorFactory makeEditor);

    // [audio thread]
    void process(float** inputs, float** outputs, std::int32_t sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, std::int32_t sampleFrames) override;
    std::int32_t processEvents(VstEvents* events) override;

    // [any thread]
    void setParameter(std::int32_t index, float value) override;
    float getParameter(std::int32_t index) override;
    void setProgram(std::int32_t program) override;
    void setSampleRate(float rate) override;
    void setBlockSizeAndSampleRate(std::int32_t size, float rate) override;

    // [ui thread]
    void getParameterLabel(std::int32_t index, char* label) override;
    void getParameterDisplay(std::int32_t index, char* text) override;
    void getParameterName(std::int32_t index, char* text) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(std::int32_t category, std::int32_t index, char* text) override;
    bool copyProgram(std::int32_t destination) override;
    void resume() override;
    bool getOutputProperties(std::int32_t index, VstPinProperties* properties) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    std::int32_t getVendorVersion() override { return 1; }
    std::int32_t canDo(char* text) override;

    // Read access for tests and tools.
    const Instrument& getInstrument() const { return instrument; }
    const VstXSynthProgram& program(std::int32_t index) const { return instrument.program(index); }

  private:
    Instrument instrument{DrawbarRule::Classic}; // sounds saved by VST 2 hosts need it
};

// The instrument's unique ID, 'Ulvr'.
std::int32_t instrumentUniqueId();
