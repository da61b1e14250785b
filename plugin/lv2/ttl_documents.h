// The bundle's three Turtle files, written from the instrument's own tables (names, symbols,
// defaults, radio captions, port indices) and the factory presets, so none can drift from the
// code.
#pragma once

#include <string>
#include <vector>

#include "synth/preset_text.h"

// Each preset's URI, from its name: "Band-Pass Vowel" gives ...ulvodraw/presets#band-pass-vowel.
struct PresetUris {
    std::vector<std::string> uris; // by preset
    std::string error;             // a name that gives no slug, or a slug already taken
};
PresetUris presetUris(const std::vector<Preset>& presets);

// What a host reads at scan time: the plug-in, its binary (`binaryName` beside the manifest),
// its UI's binary unless `uiBinaryName` is empty, and each preset's name, with the files that
// hold the rest.
std::string manifestTtl(const std::vector<Preset>& presets, const std::vector<std::string>& uris,
                        const std::string& binaryName, const std::string& uiBinaryName);
// The plug-in: identity, version, features and the 26 ports; with `withUi`, its X11 UI and
// what that asks of a host.
std::string pluginTtl(bool withUi);
// A bank for each family of presets (the presets of none in the factory bank), and every
// preset with its values.
std::string presetsTtl(const std::vector<Preset>& presets, const std::vector<std::string>& uris);
