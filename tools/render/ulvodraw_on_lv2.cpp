#include "tools/render/ulvodraw_on_lv2.h"

#include "plugin/lv2/ulvodraw_uris.h"

bool isUlvoDrawLv2(const Lv2Plugin& plugin) {
    return plugin.name() == kPluginUri;
}

UlvoDrawOnLv2::UlvoDrawOnLv2(std::unique_ptr<Lv2Instance> lv2)
    : ForwardingInstrument(std::move(lv2)) {}

void UlvoDrawOnLv2::setTuningFiles(const std::string& scale, const std::string& keymap) {
    if (!scale.empty()) inner->setPathProperty(kScaleUri, scale, "tuning");
    if (!keymap.empty()) inner->setPathProperty(kKeymapUri, keymap, "tuning");
}
