// Presets as the tools list them and pick them by name, whatever instrument holds them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct ListedPreset {
    std::string family; // a heading; empty for none
    std::string name;
};

// Sorts by family, then by name.
void sortByFamily(std::vector<ListedPreset>& presets);

// One heading a family, in the order each first comes, each preset on a line of its own below
// it, indented; the presets of no family under "Presets".
std::string presetListText(const std::vector<ListedPreset>& presets);

// The index of the preset called `wanted`, or else the one whose name matches it ignoring ASCII
// case. Throws UsageError "no preset 'Jaz Organ' (the nearest: Jazz Organ)" when there is none;
// without a near name, the list's length and `listOption` ("--list-presets") are named instead.
std::size_t pickPreset(const std::vector<ListedPreset>& presets, const std::string& wanted,
                       const std::string& listOption);
