// UlvoDraw's VST 2 build playing the factory presets, for a machine without the LV2 build whose
// presets they are. The VST 2 build keeps programs, not presets: a preset's sixteen classic
// values are set as parameters, in the order the instrument settles a program in (kSettleOrder,
// the drawbars once more after the others), so that their shares are those the positions give,
// as in the LV2 build. The playing controls, which this build lacks, stay at its classic values.
#pragma once

#include <memory>

#include "tools/render/forwarding_instrument.h"

class FactoryPresetsOnVst2 : public ForwardingInstrument<HostedInstrument> {
  public:
    // Throws ToolError when `vst2` does not have UlvoDraw's sixteen parameters.
    explicit FactoryPresetsOnVst2(std::unique_ptr<HostedInstrument> vst2);

    // The factory presets, sorted as the LV2 build's are listed.
    std::vector<ListedPreset> presets() const override;
    // Throws UsageError naming the nearest presets for a name that is none of them.
    void selectPreset(const std::string& label) override;
};
