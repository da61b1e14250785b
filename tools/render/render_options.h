// The command line of ulvo-render.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/common/parameter_option.h"
#include "tools/render/audio_file_writer.h"

struct RenderOptions {
    std::vector<std::string> plugins; // files, LV2 URIs or bundles; empty: UlvoDraw
    std::int32_t rate = 44100;
    std::int32_t blockSize = 512;
    std::optional<std::int32_t> program;
    std::optional<std::string> preset;        // LV2 plug-ins, and UlvoDraw
    std::vector<ParameterSetting> parameters; // in command-line order
    std::string tuning;                       // a Scala scale file; empty: none
    std::string keymap;                       // a Scala keyboard mapping file; empty: none
    double tailSeconds = 2.0;
    SampleFormat format = SampleFormat::Int24;
    double gainDb = 0.0;
    std::optional<std::uint16_t> channels; // bit c - 1 for channel c; empty: all but the drums
    bool strict = false;                   // a damaged track refuses the file
    bool listPresets = false;
    bool listParams = false;
    bool exactEvents = false; // a new block at every event's frame
    bool bench = false;
    std::int32_t runs = 5; // for --bench
    bool help = false;
    bool version = false;
    std::string input;
    std::string output; // empty for --bench
};

// Parses the arguments after the program name. Throws ToolError naming the bad argument.
// --list-presets and --list-params take no files.
RenderOptions parseOptions(const std::vector<std::string>& args);

const char* usageText();
