// The strip's link to the LV2 plug-in's tuning, which the UI reaches only through the host: the
// names come as patch:Set messages on the notify port, asked for once with a patch:Get, and the
// reset goes as a patch:Set of each property to an empty path on the control input. Without the
// host's URID map it tells nothing and resets nothing.
#pragma once

#include <lv2/atom/forge.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <string>

#include "editor/tuning_link.h"

class PortTuningLink : public TuningLink {
  public:
    PortTuningLink(LV2UI_Write_Function write, LV2UI_Controller controller,
                   const LV2_URID_Map* map);

    // [ui thread] Asks the plug-in for the names in force.
    void askNames();
    // [ui thread] A port event from the host; only atoms of the notify port count.
    void portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format,
                   const void* buffer);

    std::string tuningName() override;
    void resetTuning() override;

  private:
    struct Urids {
        LV2_URID eventTransfer, object, blank, patchSet, patchGet, patchProperty, patchValue;
        LV2_URID atomPath, atomString, atomUrid, scale, scaleDescription, keymap;
    };
    void setEmptyPath(LV2_URID property);
    void send(const void* atom);

    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    bool mapped;
    Urids urids{};
    LV2_Atom_Forge forge{};
    std::string scalePath, description;
};
