// The command line of ulvo-play.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/common/parameter_option.h"

struct PlayOptions {
    bool gui = true;
    std::string clientName = "ulvo-play";
    bool connect = true;
    std::optional<std::string> preset;
    std::optional<std::int32_t> program;
    std::vector<ParameterSetting> parameters; // in command-line order
    std::optional<std::string> stateFile;     // empty: the user's configuration folder
    std::optional<std::int32_t> scale;        // empty: from the display's density
    std::optional<std::string> controllerMap; // a file; empty: the default map
    std::string tuning;                       // a Scala scale file; empty: the state's
    std::string keymap;                       // a Scala keyboard mapping; empty: the state's
    bool help = false;
    bool version = false;
    bool listPresets = false;
};

// Parses the arguments after the program name. Throws ToolError naming the bad argument.
PlayOptions parsePlayOptions(const std::vector<std::string>& args);

const char* playUsageText();
