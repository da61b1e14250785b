// UlvoDraw's CLAP build as ulvo-render plays it: CLAP parameters have names and ids but no
// symbols, so the LV2 build's symbols and units are added by id (the ids are UlvoDraw's control
// indices, never renumbered), and the factory presets are given as the values they hold, all
// at once, as the LV2 build restores them.
#pragma once

#include <memory>

#include "host/clap_instance.h"
#include "tools/render/forwarding_instrument.h"

// Whether `instance` is UlvoDraw's CLAP build.
bool isUlvoDrawClap(const HostedClapPlugin& instance);

class UlvoDrawOnClap : public ForwardingInstrument<HostedClapPlugin> {
  public:
    explicit UlvoDrawOnClap(std::unique_ptr<HostedClapPlugin> clap);

    // UlvoDraw's parameters with the LV2 build's symbols and units.
    std::vector<ParameterInfo> parameters() const override;
    // The factory presets, sorted as the LV2 build's are listed.
    std::vector<ListedPreset> presets() const override;
    // Throws UsageError naming the nearest presets for a name that is none of them.
    void selectPreset(const std::string& label) override;
    // The files' texts join the plug-in's state (a bank of version 3), which it loads back, as
    // a session that kept them does.
    void setTuningFiles(const std::string& scale, const std::string& keymap) override;
};
