#include "host/clap_instance.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/common/tool_error.h"

namespace {

// A stepped parameter with at most this many values lists them by their text.
constexpr double kMostChoices = 16.0;

// Whether the plug-in's first note input takes MIDI, as ulvo-render sends its messages; a
// plug-in that takes only CLAP notes gets those.
bool takesMidi(const ClapPlugin& hosted) {
    const clap::Plugin* plugin = hosted.plugin;
    const clap::PluginNotePorts* ports = hosted.notePorts;
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
    // A render has one thread, which is both main and audio thread, and opens no editor.
    : hosted(library.factory(), library.descriptor().id, library.path(), "ulvo-render",
             {.threadCheck = true, .windowing = false, .keepSentValues = false}) {
    const std::string& path = library.path();
    params = hosted.params;
    if (params != nullptr && (params->count == nullptr || params->getInfo == nullptr ||
                              params->getValue == nullptr || params->flush == nullptr))
        params = nullptr;
    const std::uint32_t count = params != nullptr ? params->count(hosted.plugin) : 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        clap::ParamInfo info{};
        if (params->getInfo(hosted.plugin, i, &info)) ids.push_back(info.id);
    }
    if (!takesMidi(hosted)) events.sendNotes();
    inputs = readPorts(true);
    outputs = readPorts(false);
    if (outputs.channels <= 0) throw ToolError("'" + path + "' has no audio outputs");
    if (!hosted.activate(rate, static_cast<std::uint32_t>(blockSize)))
        throw ToolError("'" + path + "' cannot run at " + std::to_string(rate) + " Hz");
}

HostedClapPlugin::~HostedClapPlugin() = default;

HostedClapPlugin::Ports HostedClapPlugin::readPorts(bool input) const {
    Ports ports;
    const clap::Plugin* plugin = hosted.plugin;
    const clap::PluginAudioPorts* audio = hosted.audioPorts;
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
    const clap::Plugin* plugin = hosted.plugin;
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
    hosted.flush(values.input());
    values.clear();
}

float HostedClapPlugin::parameter(std::int32_t index) const {
    double value = 0.0;
    return params->getValue(hosted.plugin, ids[index], &value) ? static_cast<float>(value) : NAN;
}

void HostedClapPlugin::selectProgram(std::int32_t program) {
    throw UsageError("--program " + std::to_string(program) +
                     ": CLAP plug-ins have no programs; set --param values instead");
}

void HostedClapPlugin::selectPreset(const std::string& label) {
    throw UsageError("--preset '" + label + "': ulvo-render reads no presets of '" +
                     hosted.label() + "'; set --param values instead");
}

void HostedClapPlugin::switchOn() {
    if (!hosted.startProcessing())
        throw ToolError("'" + hosted.label() + "': the plug-in refused to start processing");
}

void HostedClapPlugin::switchOff() {
    hosted.stopProcessing();
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
    const std::int32_t status = hosted.process(process);
    events.clear();
    if (status == clap::kProcessError)
        for (std::int32_t c = 0; c < outputs.channels; ++c)
            std::fill(out[c], out[c] + frames, 0.0f);
}

std::string HostedClapPlugin::saveState() const {
    std::string text = hosted.save();
    if (text.empty()) throw ToolError("'" + hosted.label() + "': the plug-in gave no state");
    return text;
}

void HostedClapPlugin::loadState(const std::string& text) {
    if (!hosted.load(text))
        throw ToolError("'" + hosted.label() + "': the plug-in refused its state");
}
