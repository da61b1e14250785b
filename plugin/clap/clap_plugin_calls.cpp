#include "plugin/clap/clap_plugin_calls.h"

#include <cstring>

#include "plugin/clap/clap_instance.h"
#include "plugin/clap/control_value_text.h"
#include "synth/identity.h"

namespace {

// --- clap_plugin ---

// [main thread]
bool ULVO_CLAP_CALL init(const clap::Plugin* plugin) {
    return ClapInstance::of(plugin)->init();
}

// [main thread & !active]
void ULVO_CLAP_CALL destroy(const clap::Plugin* plugin) {
    delete ClapInstance::of(plugin);
}

// [main thread & !active] The frame counts need no preparation: the render takes any block.
bool ULVO_CLAP_CALL activate(const clap::Plugin* plugin, double rate, std::uint32_t,
                             std::uint32_t) {
    return ClapInstance::of(plugin)->activate(rate);
}

// [main thread & active]
void ULVO_CLAP_CALL deactivate(const clap::Plugin* plugin) {
    ClapInstance::of(plugin)->deactivate();
}

// [audio thread & active & !processing]
bool ULVO_CLAP_CALL startProcessing(const clap::Plugin*) {
    return true;
}

// [audio thread & active & processing]
void ULVO_CLAP_CALL stopProcessing(const clap::Plugin*) {}

// [audio thread & active]
void ULVO_CLAP_CALL reset(const clap::Plugin* plugin) {
    ClapInstance::of(plugin)->reset();
}

// [audio thread & active & processing]
std::int32_t ULVO_CLAP_CALL process(const clap::Plugin* plugin, const clap::Process* process) {
    if (process == nullptr) return clap::kProcessError;
    return ClapInstance::of(plugin)->process(*process);
}

// [main thread]
void ULVO_CLAP_CALL onMainThread(const clap::Plugin* plugin) {
    ClapInstance::of(plugin)->onMainThread();
}

// --- clap.params ---

// [main thread]
std::uint32_t ULVO_CLAP_CALL paramCount(const clap::Plugin*) {
    return kControlCount;
}

// [main thread]
bool ULVO_CLAP_CALL paramInfo(const clap::Plugin* plugin, std::uint32_t index,
                              clap::ParamInfo* info) {
    return info != nullptr && ClapInstance::of(plugin)->paramInfo(index, *info);
}

// [main thread]
bool ULVO_CLAP_CALL paramValue(const clap::Plugin* plugin, clap::Id id, double* value) {
    return value != nullptr && ClapInstance::of(plugin)->paramValue(id, *value);
}

// [main thread] Parameter ids are control indices.
bool ULVO_CLAP_CALL valueToText(const clap::Plugin*, clap::Id id, double value, char* text,
                                std::uint32_t capacity) {
    return id < static_cast<clap::Id>(kControlCount) &&
           controlValueToText(static_cast<std::int32_t>(id), value, text, capacity);
}

// [main thread]
bool ULVO_CLAP_CALL textToValue(const clap::Plugin*, clap::Id id, const char* text, double* value) {
    if (text == nullptr || value == nullptr || id >= static_cast<clap::Id>(kControlCount))
        return false;
    const auto found = controlValueFromText(static_cast<std::int32_t>(id), text);
    if (found) *value = *found;
    return found.has_value();
}

// [active ? audio thread : main thread], never while processing
void ULVO_CLAP_CALL flush(const clap::Plugin* plugin, const clap::InputEvents* in,
                          const clap::OutputEvents* out) {
    ClapInstance::of(plugin)->flush(in, out);
}

constexpr clap::PluginParams kParams = {paramCount,  paramInfo,   paramValue,
                                        valueToText, textToValue, flush};

// --- clap.note-ports: one input, CLAP notes preferred, MIDI taken too ---

// [main thread]
std::uint32_t ULVO_CLAP_CALL notePortCount(const clap::Plugin*, bool isInput) {
    return isInput ? 1 : 0;
}

// [main thread]
bool ULVO_CLAP_CALL notePortInfo(const clap::Plugin*, std::uint32_t index, bool isInput,
                                 clap::NotePortInfo* info) {
    if (!isInput || index != 0 || info == nullptr) return false;
    *info = clap::NotePortInfo{};
    info->id = 0;
    info->supportedDialects = clap::kNoteDialectClap | clap::kNoteDialectMidi;
    info->preferredDialect = clap::kNoteDialectClap;
    std::strncpy(info->name, "Notes", sizeof info->name - 1);
    return true;
}

constexpr clap::PluginNotePorts kNotePorts = {notePortCount, notePortInfo};

// --- clap.audio-ports: one stereo output, both channels the same signal ---

// [main thread]
std::uint32_t ULVO_CLAP_CALL audioPortCount(const clap::Plugin*, bool isInput) {
    return isInput ? 0 : 1;
}

// [main thread]
bool ULVO_CLAP_CALL audioPortInfo(const clap::Plugin*, std::uint32_t index, bool isInput,
                                  clap::AudioPortInfo* info) {
    if (isInput || index != 0 || info == nullptr) return false;
    *info = clap::AudioPortInfo{};
    info->id = 0;
    std::strncpy(info->name, kOutputNames[0], sizeof info->name - 1);
    info->flags = clap::kAudioPortIsMain;
    info->channelCount = 2;
    info->portType = clap::kPortStereo;
    info->inPlacePair = clap::kInvalidId;
    return true;
}

constexpr clap::PluginAudioPorts kAudioPorts = {audioPortCount, audioPortInfo};

// --- clap.state: the bank text ---

// [main thread]
bool ULVO_CLAP_CALL saveState(const clap::Plugin* plugin, const clap::OutputStream* stream) {
    return stream != nullptr && ClapInstance::of(plugin)->save(*stream);
}

// [main thread]
bool ULVO_CLAP_CALL loadState(const clap::Plugin* plugin, const clap::InputStream* stream) {
    return stream != nullptr && ClapInstance::of(plugin)->load(*stream);
}

constexpr clap::PluginState kState = {saveState, loadState};

// [thread-safe] Answers from constant data only.
const void* ULVO_CLAP_CALL extension(const clap::Plugin*, const char* id) {
    if (id == nullptr) return nullptr;
    if (std::strcmp(id, clap::kExtParams) == 0) return &kParams;
    if (std::strcmp(id, clap::kExtNotePorts) == 0) return &kNotePorts;
    if (std::strcmp(id, clap::kExtAudioPorts) == 0) return &kAudioPorts;
    if (std::strcmp(id, clap::kExtState) == 0) return &kState;
    return editorExtension(id);
}

} // namespace

clap::Plugin pluginRecordFor(ClapInstance& instance, const clap::PluginDescriptor& descriptor) {
    return {&descriptor,     &instance,      init,  destroy, activate,  deactivate,
            startProcessing, stopProcessing, reset, process, extension, onMainThread};
}
