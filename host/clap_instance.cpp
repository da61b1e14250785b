#include "host/clap_instance.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/common/tool_error.h"

namespace {

// A stepped parameter with at most this many values lists them by their text.
constexpr double kMostChoices = 16.0;

// [any thread] The host's extensions: a render has one thread, which is both main and audio
// thread.
bool ULVO_CLAP_CALL isOurThread(const clap::Host*) {
    return true;
}
const clap::HostThreadCheck kThreadCheck = {isOurThread, isOurThread};

const void* ULVO_CLAP_CALL hostExtension(const clap::Host*, const char* id) {
    if (id != nullptr && std::strcmp(id, clap::kExtThreadCheck) == 0) return &kThreadCheck;
    return nullptr;
}
// Restarts, process requests and main-thread callbacks mean nothing to an offline render.
void ULVO_CLAP_CALL ignoreRequest(const clap::Host*) {}

bool ULVO_CLAP_CALL dropEvent(const clap::OutputEvents*, const clap::EventHeader*) {
    return true;
}

template <typename Extension>
const Extension* extension(const clap::Plugin* plugin, const char* id) {
    return plugin->getExtension != nullptr
               ? static_cast<const Extension*>(plugin->getExtension(plugin, id))
               : nullptr;
}

// Whether the plug-in's first note input takes MIDI, as ulvo-render sends its messages; a
// plug-in that takes only CLAP notes gets those.
bool takesMidi(const clap::Plugin* plugin) {
    const auto* ports = extension<clap::PluginNotePorts>(plugin, clap::kExtNotePorts);
    clap::NotePortInfo info{};
    if (ports == nullptr || ports->count == nullptr || ports->get == nullptr ||
        ports->count(plugin, true) == 0 || !ports->get(plugin, 0, true, &info))
        return true;
    return (info.supportedDialects & clap::kNoteDialectMidi) != 0 ||
           (info.supportedDialects & clap::kNoteDialectClap) == 0;
}

} // namespace

HostedClapPlugin::HostedClapPlugin(const ClapLibrary& library, std::int32_t rate,
                                   std::int32_t blockSize)
    : path(library.path()) {
    host = {clap::kVersion, this,          "ulvo-render", "Korvane",     "",
            ULVO_VERSION,   hostExtension, ignoreRequest, ignoreRequest, ignoreRequest};
    dropped = {this, dropEvent};
    const clap::PluginFactory& factory = library.factory();
    plugin = factory.createPlugin(&factory, &host, library.descriptor().id);
    if (plugin == nullptr) throw ToolError("'" + path + "': the factory created no plug-in");
    if (!plugin->init(plugin)) {
        plugin->destroy(plugin);
        throw ToolError("'" + path + "': the plug-in failed to start (init)");
    }
    params = extension<clap::PluginParams>(plugin, clap::kExtParams);
    if (params != nullptr && (params->count == nullptr || params->getInfo == nullptr ||
                              params->getValue == nullptr || params->flush == nullptr))
        params = nullptr;
    const std::uint32_t count = params != nullptr ? params->count(plugin) : 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        clap::ParamInfo info{};
        if (params->getInfo(plugin, i, &info)) ids.push_back(info.id);
    }
    if (!takesMidi(plugin)) events.sendNotes();
    inputs = readPorts(true);
    outputs = readPorts(false);
    if (outputs.channels <= 0) {
        plugin->destroy(plugin);
        throw ToolError("'" + path + "' has no audio outputs");
    }
    if (!plugin->activate(plugin, rate, 1, static_cast<std::uint32_t>(blockSize))) {
        plugin->destroy(plugin);
        throw ToolError("'" + path + "' cannot run at " + std::to_string(rate) + " Hz");
    }
    active = true;
}

HostedClapPlugin::~HostedClapPlugin() {
    switchOff();
    if (active) plugin->deactivate(plugin);
    plugin->destroy(plugin);
}

HostedClapPlugin::Ports HostedClapPlugin::readPorts(bool input) const {
    Ports ports;
    const auto* audio = extension<clap::PluginAudioPorts>(plugin, clap::kExtAudioPorts);
    if (audio == nullptr || audio->count == nullptr || audio->get == nullptr) return ports;
    const std::uint32_t count = audio->count(plugin, input);
    for (std::uint32_t i = 0; i < count; ++i) {
        clap::AudioPortInfo info{};
        if (!audio->get(plugin, i, input, &info)) continue;
        clap::AudioBuffer buffer{};
        buffer.channelCount = info.channelCount;
        ports.buffers.push_back(buffer);
        ports.channels += static_cast<std::int32_t>(info.channelCount);
    }
    return ports;
}

void HostedClapPlugin::bind(Ports& ports, float** channels) {
    for (clap::AudioBuffer& buffer : ports.buffers) {
        buffer.data32 = channels;
        channels += buffer.channelCount;
    }
}

std::vector<ParameterInfo> HostedClapPlugin::parameters() const {
    std::vector<ParameterInfo> list;
    for (std::uint32_t i = 0; i < ids.size(); ++i) {
        clap::ParamInfo info{};
        params->getInfo(plugin, i, &info);
        ParameterInfo p{"",
                        std::string(info.name, strnlen(info.name, sizeof info.name)),
                        {static_cast<float>(info.minValue), static_cast<float>(info.maxValue)},
                        static_cast<float>(info.defaultValue),
                        "",
                        (info.flags & clap::kParamIsStepped) != 0,
                        {}};
        if (p.whole && params->valueToText != nullptr &&
            info.maxValue - info.minValue < kMostChoices && (info.flags & clap::kParamIsEnum) != 0)
            for (double v = std::ceil(info.minValue); v <= info.maxValue; v += 1.0) {
                char text[clap::kNameSize] = {};
                if (params->valueToText(plugin, info.id, v, text, sizeof text))
                    p.choices.emplace_back(static_cast<float>(v),
                                           std::string(text, strnlen(text, sizeof text)));
            }
        list.push_back(std::move(p));
    }
    return list;
}

void HostedClapPlugin::setParameter(std::int32_t index, float value) {
    setParameters(std::span(&index, 1), std::span(&value, 1));
}

void HostedClapPlugin::setParameters(std::span<const std::int32_t> indices,
                                     std::span<const float> given) {
    std::vector<clap::Id> chosen;
    std::vector<double> numbers;
    for (std::size_t i = 0; i < indices.size() && i < given.size(); ++i) {
        chosen.push_back(ids[indices[i]]);
        numbers.push_back(given[i]);
    }
    if (params == nullptr || chosen.empty()) return;
    values.fillValues(chosen, numbers);
    params->flush(plugin, values.input(), &dropped);
    values.clear();
}

float HostedClapPlugin::parameter(std::int32_t index) const {
    double value = 0.0;
    return params->getValue(plugin, ids[index], &value) ? static_cast<float>(value) : NAN;
}

void HostedClapPlugin::selectProgram(std::int32_t program) {
    throw UsageError("--program " + std::to_string(program) +
                     ": CLAP plug-ins have no programs; set --param values instead");
}

void HostedClapPlugin::selectPreset(const std::string& label) {
    throw UsageError("--preset '" + label + "': ulvo-render reads no presets of '" + path +
                     "'; set --param values instead");
}

void HostedClapPlugin::switchOn() {
    if (processing) return;
    if (plugin->startProcessing != nullptr && !plugin->startProcessing(plugin))
        throw ToolError("'" + path + "': the plug-in refused to start processing");
    processing = true;
}

void HostedClapPlugin::switchOff() {
    if (!processing) return;
    if (plugin->stopProcessing != nullptr) plugin->stopProcessing(plugin);
    processing = false;
}

void HostedClapPlugin::sendEvents(std::span<const BlockMessage> messages) {
    events.fill(messages);
}

void HostedClapPlugin::render(float** in, float** out, std::int32_t frames) {
    bind(inputs, in);
    bind(outputs, out);
    clap::Process process{};
    process.steadyTime = -1; // no steady time: an offline render
    process.framesCount = static_cast<std::uint32_t>(frames);
    process.audioInputs = inputs.buffers.data();
    process.audioInputsCount = static_cast<std::uint32_t>(inputs.buffers.size());
    process.audioOutputs = outputs.buffers.data();
    process.audioOutputsCount = static_cast<std::uint32_t>(outputs.buffers.size());
    process.inEvents = events.input();
    process.outEvents = &dropped;
    const std::int32_t status = plugin->process(plugin, &process);
    events.clear();
    if (status == clap::kProcessError)
        for (std::int32_t c = 0; c < outputs.channels; ++c)
            std::fill(out[c], out[c] + frames, 0.0f);
}

namespace {

struct ReadFrom {
    const std::string& text;
    std::size_t at = 0;
};

std::int64_t ULVO_CLAP_CALL writeToString(const clap::OutputStream* stream, const void* buffer,
                                          std::uint64_t size) {
    static_cast<std::string*>(stream->ctx)->append(static_cast<const char*>(buffer), size);
    return static_cast<std::int64_t>(size);
}

std::int64_t ULVO_CLAP_CALL readFromString(const clap::InputStream* stream, void* buffer,
                                           std::uint64_t size) {
    auto& from = *static_cast<ReadFrom*>(stream->ctx);
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, from.text.size() - from.at));
    std::memcpy(buffer, from.text.data() + from.at, count);
    from.at += count;
    return static_cast<std::int64_t>(count);
}

} // namespace

std::string HostedClapPlugin::saveState() const {
    const auto* state = extension<clap::PluginState>(plugin, clap::kExtState);
    std::string text;
    const clap::OutputStream stream{&text, writeToString};
    if (state == nullptr || state->save == nullptr || !state->save(plugin, &stream))
        throw ToolError("'" + path + "': the plug-in gave no state");
    return text;
}

void HostedClapPlugin::loadState(const std::string& text) {
    const auto* state = extension<clap::PluginState>(plugin, clap::kExtState);
    ReadFrom from{text};
    const clap::InputStream stream{&from, readFromString};
    if (state == nullptr || state->load == nullptr || !state->load(plugin, &stream))
        throw ToolError("'" + path + "': the plug-in refused its state");
}
