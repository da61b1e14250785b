// One CLAP plug-in created from a CLAP file and driven as ulvo-render drives an instrument of any
// format: init, activation at the rate and largest block, processing started and stopped, per
// block its events and its audio; parameters set through flush, which the format allows outside
// processing.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "host/clap_event_list.h"
#include "host/clap_library.h"
#include "host/clap_plugin.h"
#include "host/hosted_instrument.h"
#include "plugin/clap/clap_abi.h"

class HostedClapPlugin : public HostedInstrument {
  public:
    // Creates the library's first plug-in, inits and activates it. Throws ToolError when the
    // factory gives no plug-in, init or activation fails, or it has no audio outputs.
    HostedClapPlugin(const ClapLibrary& library, std::int32_t rate, std::int32_t blockSize);
    // Stops processing if started, deactivates and destroys the plug-in.
    ~HostedClapPlugin();
    HostedClapPlugin(const HostedClapPlugin&) = delete;
    HostedClapPlugin& operator=(const HostedClapPlugin&) = delete;

    const char* pluginId() const { return hosted.plugin->desc->id; }
    // The CLAP id of the parameter with index `index`.
    clap::Id parameterId(std::int32_t index) const { return ids[index]; }

    std::int32_t inputCount() const override { return inputs.channels; }
    std::int32_t outputCount() const override { return outputs.channels; }

    // By name (CLAP parameters have no symbol), in the order the plug-in lists them; a stepped
    // parameter of a few values lists each value's text as a choice.
    std::vector<ParameterInfo> parameters() const override;
    void setParameter(std::int32_t index, float value) override;
    // Values given together, as a host hands over one frame's changes; by index.
    void setParameters(std::span<const std::int32_t> indices, std::span<const float> values);
    float parameter(std::int32_t index) const override;
    // CLAP plug-ins have no programs: always throws UsageError.
    void selectProgram(std::int32_t program) override;
    // The presets a CLAP plug-in offers are not read: none listed.
    std::vector<ListedPreset> presets() const override { return {}; }
    // Always throws UsageError.
    void selectPreset(const std::string& label) override;

    // The plug-in's state through clap.state, whole; loaded back before processing starts.
    // Both throw ToolError when the plug-in has no state or refuses it.
    std::string saveState() const;
    void loadState(const std::string& state);

    void switchOn() override;
    void switchOff() override;
    void sendEvents(std::span<const BlockMessage> messages) override;
    void render(float** inputs, float** outputs, std::int32_t frames) override;

  private:
    // The audio ports of one direction: per port its channel count, and the buffers handed over.
    struct Ports {
        std::int32_t channels = 0;
        std::vector<clap::AudioBuffer> buffers;
    };
    Ports readPorts(bool input) const;
    static void bind(Ports& ports, float** channels);

    ClapPlugin hosted;
    const clap::PluginParams* params = nullptr; // null unless every call used is there
    std::vector<clap::Id> ids;
    Ports inputs, outputs;
    ClapEventList events;
    ClapEventList values;
};
