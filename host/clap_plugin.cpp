#include "host/clap_plugin.h"

#include <algorithm>

#include "tools/common/tool_error.h"

namespace {

const clap::Plugin* created(const clap::PluginFactory& factory, const char* id,
                            const clap::Host* host, const std::string& label) {
    const clap::Plugin* plugin = factory.createPlugin(&factory, host, id);
    if (plugin == nullptr) throw ToolError("'" + label + "': the factory created no plug-in");
    if (!plugin->init(plugin)) {
        plugin->destroy(plugin);
        throw ToolError("'" + label + "': the plug-in failed to start (init)");
    }
    return plugin;
}

template <typename Extension>
const Extension* extension(const clap::Plugin* plugin, const char* id) {
    return plugin->getExtension != nullptr
               ? static_cast<const Extension*>(plugin->getExtension(plugin, id))
               : nullptr;
}

} // namespace

ClapPlugin::ClapPlugin(const clap::PluginFactory& factory, const char* id, const std::string& label,
                       const char* hostName, ClapHostOffers offers)
    : record(hostName, offers), name(label), plugin(created(factory, id, record.host(), label)),
      params(extension<clap::PluginParams>(plugin, clap::kExtParams)),
      state(extension<clap::PluginState>(plugin, clap::kExtState)),
      notePorts(extension<clap::PluginNotePorts>(plugin, clap::kExtNotePorts)),
      audioPorts(extension<clap::PluginAudioPorts>(plugin, clap::kExtAudioPorts)),
      gui(extension<clap::PluginGui>(plugin, clap::kExtGui)),
      timerSupport(extension<clap::PluginTimerSupport>(plugin, clap::kExtTimerSupport)),
      fdSupport(extension<clap::PluginPosixFdSupport>(plugin, clap::kExtPosixFdSupport)) {}

ClapPlugin::~ClapPlugin() {
    deactivate();
    plugin->destroy(plugin);
}

bool ClapPlugin::activate(double rate, std::uint32_t maxFrames) {
    isActive = plugin->activate(plugin, rate, 1, maxFrames);
    return isActive;
}

void ClapPlugin::deactivate() {
    stopProcessing();
    if (!isActive) return;
    plugin->deactivate(plugin);
    isActive = false;
}

bool ClapPlugin::startProcessing() {
    if (processing) return true;
    processing = plugin->startProcessing == nullptr || plugin->startProcessing(plugin);
    return processing;
}

void ClapPlugin::stopProcessing() {
    if (!processing) return;
    if (plugin->stopProcessing != nullptr) plugin->stopProcessing(plugin);
    processing = false;
}

std::int32_t ClapPlugin::process(clap::Process& process) {
    process.outEvents = record.output();
    return plugin->process(plugin, &process);
}

double ClapPlugin::value(clap::Id id, double otherwise) const {
    double v = otherwise;
    if (params == nullptr || params->getValue == nullptr || !params->getValue(plugin, id, &v))
        return otherwise;
    return v;
}

void ClapPlugin::flush(const clap::InputEvents* events) {
    if (params != nullptr && params->flush != nullptr)
        params->flush(plugin, events, record.output());
}

std::string ClapPlugin::save(std::size_t piece) const {
    ClapStateWriter writer(piece);
    if (state == nullptr || state->save == nullptr || !state->save(plugin, writer.stream()))
        return {};
    return writer.text();
}

bool ClapPlugin::load(const std::string& text, std::size_t piece, std::size_t failAt) {
    const ClapStateReader reader(text, piece, failAt);
    return state != nullptr && state->load != nullptr && state->load(plugin, reader.stream());
}

void ClapPlugin::runRequestedCallback() {
    // One call answers every request made before it, as a host's idle loop does.
    const int requested = record.log.callbacksRequested.load(std::memory_order_relaxed);
    if (requested == callbacksRun) return;
    callbacksRun = requested;
    plugin->onMainThread(plugin);
}

void ClapPlugin::runTimers() {
    if (timerSupport == nullptr) return;
    const ClapHostLog& log = record.log;
    for (std::size_t n = 0; n < log.timerPeriods.size(); ++n) {
        const auto id = static_cast<clap::Id>(ClapHostLog::kFirstTimer + n);
        if (std::find(log.timersUnregistered.begin(), log.timersUnregistered.end(), id) ==
            log.timersUnregistered.end())
            timerSupport->onTimer(plugin, id);
    }
}
