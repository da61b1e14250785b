// URIDs for URIs and back, as a host offers them to LV2 plug-ins (urid:map, urid:unmap). Safe
// to call from any thread: a plug-in may map from its worker while the host maps on its own.
#pragma once

#include <deque>
#include <mutex>
#include <string>

#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

class Lv2UridMap {
  public:
    Lv2UridMap();
    Lv2UridMap(const Lv2UridMap&) = delete;
    Lv2UridMap& operator=(const Lv2UridMap&) = delete;

    // The URID of `uri`, a new one the first time; URIDs count from 1.
    LV2_URID map(const char* uri);
    // The URI of `urid`; null for one never given.
    const char* unmap(LV2_URID urid) const;

    LV2_URID_Map* mapData() { return &mapper; }
    const LV2_Feature* mapFeature() const { return &mapOffer; }
    const LV2_Feature* unmapFeature() const { return &unmapOffer; }

  private:
    mutable std::mutex lock;
    std::deque<std::string> uris; // by URID - 1; a deque keeps what unmap returned in place
    LV2_URID_Map mapper{};
    LV2_URID_Unmap unmapper{};
    LV2_Feature mapOffer{};
    LV2_Feature unmapOffer{};
};
