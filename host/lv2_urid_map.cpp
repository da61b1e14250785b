#include "host/lv2_urid_map.h"

#include <algorithm>

Lv2UridMap::Lv2UridMap() {
    mapper = {this, [](LV2_URID_Map_Handle self, const char* uri) {
                  return static_cast<Lv2UridMap*>(self)->map(uri);
              }};
    unmapper = {this, [](LV2_URID_Unmap_Handle self, LV2_URID urid) {
                    return static_cast<const Lv2UridMap*>(self)->unmap(urid);
                }};
    mapOffer = {LV2_URID__map, &mapper};
    unmapOffer = {LV2_URID__unmap, &unmapper};
}

LV2_URID Lv2UridMap::map(const char* uri) {
    const std::lock_guard<std::mutex> hold(lock);
    const auto found = std::find(uris.begin(), uris.end(), uri);
    if (found != uris.end()) return static_cast<LV2_URID>(found - uris.begin() + 1);
    uris.emplace_back(uri);
    return static_cast<LV2_URID>(uris.size());
}

const char* Lv2UridMap::unmap(LV2_URID urid) const {
    const std::lock_guard<std::mutex> hold(lock);
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
}
