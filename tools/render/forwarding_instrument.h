// A hosted instrument that hands every call to the one it wraps: the base of wrappers that change
// a few calls of an instrument (its parameters' names, its presets) and keep the rest.
#pragma once

#include <memory>
#include <utility>

#include "host/hosted_instrument.h"

template <class Inner> class ForwardingInstrument : public HostedInstrument {
  public:
    std::int32_t inputCount() const override { return inner->inputCount(); }
    std::int32_t outputCount() const override { return inner->outputCount(); }
    std::vector<ParameterInfo> parameters() const override { return inner->parameters(); }
    void setParameter(std::int32_t index, float value) override {
        inner->setParameter(index, value);
    }
    float parameter(std::int32_t index) const override { return inner->parameter(index); }
    void selectProgram(std::int32_t program) override { inner->selectProgram(program); }
    std::vector<ListedPreset> presets() const override { return inner->presets(); }
    void selectPreset(const std::string& label) override { inner->selectPreset(label); }
    void setTuningFiles(const std::string& scale, const std::string& keymap) override {
        inner->setTuningFiles(scale, keymap);
    }
    void switchOn() override { inner->switchOn(); }
    void switchOff() override { inner->switchOff(); }
    void sendEvents(std::span<const BlockMessage> messages) override {
        inner->sendEvents(messages);
    }
    void render(float** inputs, float** outputs, std::int32_t frames) override {
        inner->render(inputs, outputs, frames);
    }

  protected:
    explicit ForwardingInstrument(std::unique_ptr<Inner> wrapped) : inner(std::move(wrapped)) {}

    std::unique_ptr<Inner> inner;
};
