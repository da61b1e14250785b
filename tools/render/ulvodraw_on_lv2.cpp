#include "tools/render/ulvodraw_on_lv2.h"

#include "synth/identity.h"

bool isUlvoDrawLv2(const Lv2Plugin& plugin) {
    return plugin.name() == ULVODRAW_LV2_URI;
}

UlvoDrawOnLv2::UlvoDrawOnLv2(std::unique_ptr<Lv2Instance> lv2)
    : ForwardingInstrument(std::move(lv2)) {}

void UlvoDrawOnLv2::setTuningFiles(const std::string& scale, const std::string& keymap) {
    if (!scale.empty()) inner->setPathProperty(kScaleUri, scale, "tuning");
    if (!keymap.empty()) inner->setPathProperty(kKeymapUri, keymap, "tuning");
}
