// An LV2 plug-in's own state through its state interface, kept in memory as a host keeps it
// between a save and a restore: each key's value and type.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

using Lv2State = std::map<LV2_URID, std::pair<std::string, LV2_URID>>;

// What `face` saves of `plugin`, asked with the state flags `flags`.
Lv2State saveLv2State(const LV2_State_Interface& face, LV2_Handle plugin, std::uint32_t flags);
// Hands `state` to `plugin`, every value plain old data and portable.
void restoreLv2State(const LV2_State_Interface& face, LV2_Handle plugin, const Lv2State& state);
