// The LV2 bundles ulvo-render may load, in the order a URI is looked up, and the plug-ins each
// declares. Each bundle's manifest is read in a lilv world of its own, so that lilv never meets
// two bundles with one plug-in URI and never chooses between them itself.
#pragma once

#include <string>
#include <vector>

struct Lv2Bundle {
    std::string folder;               // as found, without the trailing slash
    std::string realFolder;           // links resolved: one bundle reached twice is one bundle
    std::vector<std::string> plugins; // URIs its manifest declares
};

// The bundles of each folder of LV2_PATH in turn (lilv's usual folders when it is unset), then
// the bundles beside this program (a build's), then those in ../lib/lv2 from its folder (as
// installed, or as unpacked from the archive); each bundle once. Within a folder, by name.
std::vector<Lv2Bundle> searchLv2Bundles();

// True when `folder` holds a manifest.ttl; lilv complains on standard error about any other.
bool isLv2Bundle(const std::string& folder);

// The bundle in `folder`, which must be one.
Lv2Bundle readLv2Bundle(const std::string& folder);
