// An instrument as ulvo-render drives it, whatever its plug-in format: parameters, programs or
// presets, switching on and off, and per block its events and then its audio.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "host/block_message.h"
#include "tools/common/preset_list.h"
#include "tools/common/tool_error.h"

// The values a parameter takes; a bound that is not a number is one the instrument does not
// declare.
struct ParameterRange {
    float minimum, maximum;
};

// A parameter as the instrument describes it.
struct ParameterInfo {
    std::string symbol; // empty when the format has none
    std::string name;
    ParameterRange range;
    float defaultValue; // not a number when the instrument declares none
    std::string unit;   // "dB", "Hz"; empty for none
    bool whole = false; // whole numbers only
    std::vector<std::pair<float, std::string>> choices; // named values, when only those count
};

class HostedInstrument {
  public:
    virtual ~HostedInstrument() = default;

    virtual std::int32_t inputCount() const = 0;
    virtual std::int32_t outputCount() const = 0;

    // By index, the index --param takes.
    virtual std::vector<ParameterInfo> parameters() const = 0;
    virtual void setParameter(std::int32_t index, float value) = 0;
    virtual float parameter(std::int32_t index) const = 0;
    // Throws UsageError for a program the instrument does not have, or a format without them.
    virtual void selectProgram(std::int32_t program) = 0;
    // What --list-presets shows: the presets, or the programs of a format that has those.
    virtual std::vector<ListedPreset> presets() const = 0;
    // Throws UsageError for a preset the instrument does not have, or a format without them.
    virtual void selectPreset(const std::string& label) = 0;

    // The tuning's files, before switching on: a Scala scale and a keyboard mapping, either
    // path possibly empty. Throws UsageError for an instrument that takes no tuning.
    virtual void setTuningFiles(const std::string& /*scale*/, const std::string& /*keymap*/) {
        throw UsageError("--tuning and --keymap take an LV2 instrument with a tuning; a VST 2 "
                         "instrument keeps its own pitches");
    }

    virtual void switchOn() = 0;
    virtual void switchOff() = 0;
    // [render loop] The coming block's messages, by offset; empty for a block without any.
    virtual void sendEvents(std::span<const BlockMessage> messages) = 0;
    // [render loop] Replaces `outputs` with the next `frames` frames.
    virtual void render(float** inputs, float** outputs, std::int32_t frames) = 0;
};
