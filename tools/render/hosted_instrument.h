// An instrument as ulvo-render drives it, whatever its plug-in format: parameters, programs or
// presets, switching on and off, and per block its events and then its audio.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "tools/common/tool_error.h"
#include "tools/render/block_message.h"

// The values a parameter takes; a bound that is not a number is one the instrument does not
// declare.
struct ParameterRange {
    float minimum, maximum;
};

class HostedInstrument {
  public:
    virtual ~HostedInstrument() = default;

    virtual std::int32_t inputCount() const = 0;
    virtual std::int32_t outputCount() const = 0;

    // Parameter index for `nameOrIndex` by the rules of findParameter (parameter_option.h).
    // Throws ToolError when it picks none.
    virtual std::int32_t findParameter(const std::string& nameOrIndex) const = 0;
    virtual std::string parameterName(std::int32_t index) const = 0;
    virtual ParameterRange parameterRange(std::int32_t index) const = 0;
    virtual void setParameter(std::int32_t index, float value) = 0;
    virtual float parameter(std::int32_t index) const = 0;
    // Throws ToolError for a program the instrument does not have, or a format without them.
    virtual void selectProgram(std::int32_t program) = 0;
    // Throws ToolError for a preset the instrument does not have, or a format without them.
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
