#include "plugin/lv2/ui_host_features.h"

#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstring>

namespace {

// ui:scaleFactor as a float or double, as hosts differ; anything else leaves `factor` as it is.
void readScaleFactor(const LV2_Options_Option* options, const LV2_URID_Map& map, double& factor) {
    const LV2_URID key = map.map(map.handle, LV2_UI__scaleFactor);
    const LV2_URID floatType = map.map(map.handle, LV2_ATOM__Float);
    const LV2_URID doubleType = map.map(map.handle, LV2_ATOM__Double);
    for (const LV2_Options_Option* option = options; option->key != 0 || option->value != nullptr;
         ++option) {
        if (option->key != key || option->value == nullptr) continue;
        if (option->type == floatType && option->size == sizeof(float)) {
            float value = 0;
            std::memcpy(&value, option->value, sizeof value);
            factor = value;
        } else if (option->type == doubleType && option->size == sizeof(double)) {
            std::memcpy(&factor, option->value, sizeof factor);
        }
    }
}

} // namespace

UiHostFeatures readUiHostFeatures(const LV2_Feature* const* features) {
    UiHostFeatures found;
    const LV2_Options_Option* options = nullptr;
    const LV2_URID_Map* map = nullptr;
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f) {
        const char* uri = (*f)->URI;
        void* data = (*f)->data;
        if (std::strcmp(uri, LV2_UI__parent) == 0)
            found.parent = reinterpret_cast<std::uintptr_t>(data);
        else if (std::strcmp(uri, LV2_UI__resize) == 0)
            found.resize = static_cast<const LV2UI_Resize*>(data);
        else if (std::strcmp(uri, LV2_OPTIONS__options) == 0)
            options = static_cast<const LV2_Options_Option*>(data);
        else if (std::strcmp(uri, LV2_URID__map) == 0)
            map = static_cast<const LV2_URID_Map*>(data);
    }
    if (options != nullptr && map != nullptr) readScaleFactor(options, *map, found.scaleFactor);
    found.map = map;
    return found;
}
