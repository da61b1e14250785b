#include "tools/render/default_instrument.h"

#include <algorithm>
#include <vector>

#include "host/lv2_bundle_search.h"
#include "host/own_folder.h"
#include "synth/identity.h"

namespace {

bool declaresUlvoDraw(const Lv2Bundle& bundle) {
    return std::find(bundle.plugins.begin(), bundle.plugins.end(), ULVODRAW_LV2_URI) !=
           bundle.plugins.end();
}

} // namespace

std::string defaultVst2Plugin() {
    const std::string folder = ownFolder();
    const std::string beside = folder + "/UlvoDraw.so";
    const std::string installed = folder + "/../lib/vst/UlvoDraw.so";
    return !isFile(beside) && isFile(installed) ? installed : beside;
}

DefaultInstrument defaultInstrument(bool forPresets) {
    if (!forPresets) return {defaultVst2Plugin(), false, ""};
    // The tool's own bundle first: its presets are the ones of this version.
    const std::string folder = ownFolder();
    for (const std::string& bundle :
         {folder + "/ulvodraw.lv2", folder + "/../lib/lv2/ulvodraw.lv2"})
        if (isLv2Bundle(bundle) && declaresUlvoDraw(readLv2Bundle(bundle)))
            return {bundle, false, ""};
    const std::vector<Lv2Bundle> found = searchLv2Bundles();
    if (std::any_of(found.begin(), found.end(), declaresUlvoDraw))
        return {ULVODRAW_LV2_URI, false, ""};
    return {defaultVst2Plugin(), true,
            "UlvoDraw's LV2 build is neither beside ulvo-render nor installed: the VST 2 build "
            "plays the preset's values, without the LV2 build's playing controls"};
}
