// What the UI takes from the features an LV2 host passes at instantiation: the window to embed
// in, the way to announce its size, and the scale factor among the host's options.
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>

struct UiHostFeatures {
    std::uintptr_t parent = 0;            // ui:parent, an X window id; 0 when not given
    const LV2UI_Resize* resize = nullptr; // ui:resize, when offered
    double scaleFactor = 1.0;             // ui:scaleFactor among opts:options, read with urid:map
    const LV2_URID_Map* map = nullptr;    // urid:map, when offered
};

// [ui thread] From the host's null-terminated list; null gives the defaults.
UiHostFeatures readUiHostFeatures(const LV2_Feature* const* features);
