// What ulvo-render plays without --plugin: UlvoDraw, found from the tool's own folder. Renders
// take the VST 2 build; presets are the LV2 build's, so --preset and --list-presets take that
// build where there is one, and else give the presets' values to the VST 2 build.
#pragma once

#include <string>

struct DefaultInstrument {
    std::string plugin;         // a VST 2 library file or an LV2 bundle folder or URI
    bool presetsOnVst2 = false; // the factory presets go to the VST 2 build by their values
    std::string notice;         // one line for the user; empty when there is nothing to say
};

// UlvoDraw.so beside the tool, as in the build tree; else ../lib/vst/UlvoDraw.so from its
// folder, as installed or unpacked.
std::string defaultVst2Plugin();

// With `forPresets`, the LV2 build: the bundle beside the tool, else ../lib/lv2/ulvodraw.lv2
// from its folder, else the first bundle with its URI among those searchLv2Bundles finds; with
// none of those, the VST 2 build with its presets by value, and a notice that says so. Without
// `forPresets`, the VST 2 build.
DefaultInstrument defaultInstrument(bool forPresets);
