// UlvoDraw's CLAP build as ulvo-render plays it: CLAP parameters have names and ids but no
// symbols, so the LV2 build's symbols and units are added by id (the ids are UlvoDraw's control
// indices, never renumbered), and the factory presets are given as the values they hold, all
// at once, as the LV2 build restores them.
#pragma once

#include <memory>

#include "tools/render/hosted_instrument.h"
#include "tools/render/hosts/clap_instance.h"

// Whether `instance` is UlvoDraw's CLAP build.
bool isUlvoDrawClap(const HostedClapPlugin& instance);

class UlvoDrawOnClap : public HostedInstrument {
  public:
    explicit UlvoDrawOnClap(std::unique_ptr<HostedClapPlugin> clap);

    std::int32_t inputCount() const override { return inner->inputCount(); }
    std::int32_t outputCount() const override { return inner->outputCount(); }
    std::vector<ParameterInfo> parameters() const override;
    void setParameter(std::int32_t index, float value) override {
        inner->setParameter(index, value);
    }
    float parameter(std::int32_t index) const override { return inner->parameter(index); }
    void selectProgram(std::int32_t program) override { inner->selectProgram(program); }
    // The factory presets, sorted as the LV2 build's are listed.
    std::vector<ListedPreset> presets() const override;
    // Throws UsageError naming the nearest presets for a name that is none of them.
    void selectPreset(const std::string& label) override;
    void switchOn() override { inner->switchOn(); }
    void switchOff() override { inner->switchOff(); }
    void sendEvents(std::span<const BlockMessage> messages) override {
        inner->sendEvents(messages);
    }
    void render(float** inputs, float** outputs, std::int32_t frames) override {
        inner->render(inputs, outputs, frames);
    }

  private:
    std::unique_ptr<HostedClapPlugin> inner;
};
