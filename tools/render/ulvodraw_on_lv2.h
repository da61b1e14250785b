// UlvoDraw's LV2 build as ulvo-render plays it: the tuning's files go to the plug-in's scale and
// keymap properties, which it loads in its worker, as a host's file chooser sets them.
#pragma once

#include <memory>

#include "host/lv2_instance.h"
#include "tools/render/forwarding_instrument.h"

// Whether `plugin` is UlvoDraw's LV2 build.
bool isUlvoDrawLv2(const Lv2Plugin& plugin);

class UlvoDrawOnLv2 : public ForwardingInstrument<Lv2Instance> {
  public:
    explicit UlvoDrawOnLv2(std::unique_ptr<Lv2Instance> lv2);

    // Either path may be empty: that file is left as it is.
    void setTuningFiles(const std::string& scale, const std::string& keymap) override;
};
