// One VST 2 instrument created from a plug-in library and driven as a host drives it: open, sample
// rate, block size, switch on, events and render per block, switch off, close.
#pragma once

#include <cstdint>
#include <string>

#include "host/hosted_instrument.h"
#include "host/vst2_event_list.h"
#include "host/vst2_library.h"
#include "plugin/vst2/aeffectx.h"

// What the instrument may ask its host about.
struct HostContext {
    std::int32_t sampleRate = 44100;
    std::int32_t blockSize = 512;
};

class Vst2Instance : public HostedInstrument {
  public:
    // Calls the library's entry and opens the instrument at `rate` and `blockSize`.
    // Throws ToolError when the entry gives no effect record, the record is not a VST 2
    // record, or the instrument has no outputs.
    Vst2Instance(const Vst2Library& library, std::int32_t rate, std::int32_t blockSize);
    // Switches off if on, then closes the instrument.
    ~Vst2Instance();
    Vst2Instance(const Vst2Instance&) = delete;
    Vst2Instance& operator=(const Vst2Instance&) = delete;

    std::int32_t inputCount() const override { return effect->numInputs; }
    std::int32_t outputCount() const override { return effect->numOutputs; }

    // VST 2 parameters have a name alone and all run from 0 to 1; the default given is the
    // value each has when the instrument opens.
    std::vector<ParameterInfo> parameters() const override;
    void setParameter(std::int32_t index, float value) override;
    float parameter(std::int32_t index) const override {
        return effect->getParameter(effect, index);
    }
    void selectProgram(std::int32_t program) override;
    // The programs, "N: name" under one heading that says how to select them.
    std::vector<ListedPreset> presets() const override;
    // VST 2 instruments have programs, not presets: always throws UsageError.
    void selectPreset(const std::string& label) override;

    void switchOn() override;
    void switchOff() override;
    void sendEvents(std::span<const BlockMessage> messages) override;
    void render(float** inputs, float** outputs, std::int32_t frames) override;

  private:
    std::string parameterName(std::int32_t index) const;
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const;

    HostContext context;
    AEffect* effect = nullptr;
    bool on = false;
    VstEventList events;
};
