// One CLAP plug-in as a host holds it: created from a factory with a host record of its own,
// initialised, its extensions looked up once, and then the format's calls as they are:
// activation, processing started and stopped, blocks, parameter flushes, the state. The plug-in
// and its extensions stay within reach for hosts that drive it closely (the tests, the fuzzer);
// ulvo-render drives it through HostedClapPlugin (clap_instance.h).
#pragma once

#include <cstdint>
#include <string>

#include "host/clap_host_record.h"
#include "host/clap_state_streams.h"
#include "plugin/clap/clap_abi.h"

class ClapPlugin {
  public:
    // Creates the plug-in `id` of `factory` and calls its init. Throws ToolError, naming
    // `label`, when the factory creates none or init fails.
    ClapPlugin(const clap::PluginFactory& factory, const char* id, const std::string& label,
               const char* hostName, ClapHostOffers offers);
    // Stops processing and deactivates as needed, then destroys the plug-in.
    ~ClapPlugin();
    ClapPlugin(const ClapPlugin&) = delete;
    ClapPlugin& operator=(const ClapPlugin&) = delete;

    // False when the plug-in refuses the rate or the block length.
    bool activate(double rate, std::uint32_t maxFrames);
    void deactivate();
    bool startProcessing();
    void stopProcessing();
    bool active() const { return isActive; }

    // process() with the host's output events; the status the plug-in returned.
    std::int32_t process(clap::Process& process);
    // The parameter's value; `otherwise` when the plug-in gives none.
    double value(clap::Id id, double otherwise) const;
    void flush(const clap::InputEvents* events);
    // The state through a stream that takes at most `piece` bytes a call; empty when the
    // plug-in has no state or could not save it.
    std::string save(std::size_t piece = kWholeStream) const;
    // The state through a stream that gives at most `piece` bytes a call and fails from byte
    // `failAt` on; false when the plug-in has no state or refuses it.
    bool load(const std::string& text, std::size_t piece = kWholeStream,
              std::size_t failAt = std::string::npos);

    // [main thread] onMainThread, when the plug-in asked for it since the last call.
    void runRequestedCallback();
    // [main thread] onTimer for each timer the plug-in holds, as the host's timers fire.
    void runTimers();

    const std::string& label() const { return name; }
    // What the plug-in asked of the host, and the values it sent.
    ClapHostLog& log() { return record.log; }

  private:
    ClapHostRecord record;
    std::string name;

  public:
    const clap::Plugin* const plugin;
    // Null for an extension the plug-in does not offer.
    const clap::PluginParams* const params;
    const clap::PluginState* const state;
    const clap::PluginNotePorts* const notePorts;
    const clap::PluginAudioPorts* const audioPorts;
    const clap::PluginGui* const gui;
    const clap::PluginTimerSupport* const timerSupport;
    const clap::PluginPosixFdSupport* const fdSupport;

  private:
    bool isActive = false;
    bool processing = false;
    int callbacksRun = 0; // [main thread] requests answered by runRequestedCallback
};
