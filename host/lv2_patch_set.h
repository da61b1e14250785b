// The body of the atom:Object a host sends to set an LV2 plug-in's `property` to the file `path`
// (patch:Set with an atom:Path), as its file chooser does; `map` gives a URI's URID.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/patch/patch.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <string>
#include <vector>

template <typename Map>
std::vector<std::uint8_t> patchSetBody(Map&& map, LV2_URID property, const std::string& path) {
    std::vector<std::uint8_t> body;
    const auto add = [&](const void* data, std::size_t size) {
        const auto* from = static_cast<const std::uint8_t*>(data);
        body.insert(body.end(), from, from + size);
        body.resize((body.size() + 7) & ~std::size_t{7}, 0);
    };
    const LV2_Atom_Object_Body head{0, map(LV2_PATCH__Set)};
    add(&head, sizeof head);
    const LV2_Atom_Property_Body key{map(LV2_PATCH__property), 0, {4, map(LV2_ATOM__URID)}};
    add(&key, sizeof key);
    add(&property, sizeof property);
    const LV2_Atom_Property_Body value{
        map(LV2_PATCH__value),
        0,
        {static_cast<std::uint32_t>(path.size() + 1), map(LV2_ATOM__Path)}};
    add(&value, sizeof value);
    add(path.c_str(), path.size() + 1);
    return body;
}
