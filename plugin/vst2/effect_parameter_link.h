// The editor's link to a VST 2 plug-in: values read with getParameter, the user's changes written
// with setParameterAutomated, which also reports them to the host as automation.
#pragma once

#include "editor/parameter_link.h"
#include "plugin/vst2/audio_effect.h"
#include "synth/control_text.h"

class EffectParameterLink : public ParameterLink {
  public:
    explicit EffectParameterLink(AudioEffect* effect) : effect(effect) {}
    float readParameter(std::int32_t index) override { return effect->getParameter(index); }
    void writeParameter(std::int32_t index, float value) override {
        effect->setParameterAutomated(index, value);
    }
    std::string valueText(std::int32_t index, float value) override {
        return controlValueText(index, value);
    }

  private:
    AudioEffect* effect; // not owned
};
