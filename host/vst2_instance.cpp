#include "host/vst2_instance.h"

#include <algorithm>
#include <cstring>

#include "core/bounded_text.h"
#include "tools/common/tool_error.h"

namespace {

constexpr VstIntPtr kHostVersion = 2400;
constexpr VstIntPtr kProcessLevelOffline = 4; // audioMasterGetCurrentProcessLevel: a bounce
constexpr VstInt32 kHostLanguageEnglish = 1;

// The context of the instrument being created: its entry may call back before the host can
// tell which record is whose. Creation happens on one thread, one instrument at a time.
thread_local const HostContext* creatingContext = nullptr;

const HostContext* contextOf(AEffect* effect) {
    if (effect != nullptr && effect->user != nullptr)
        return static_cast<const HostContext*>(effect->user);
    return creatingContext;
}

// [any thread] The host callback: answers what an offline render can answer, 0 to the rest.
VstIntPtr VSTCALL hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 /*index*/,
                               VstIntPtr /*value*/, void* ptr, float /*opt*/) {
    const HostContext* context = contextOf(effect);
    switch (opcode) {
    case audioMasterVersion:
        return kHostVersion;
    case audioMasterWantMidi:
        return 1;
    case audioMasterGetSampleRate:
        return context != nullptr ? context->sampleRate : 0;
    case audioMasterGetBlockSize:
        return context != nullptr ? context->blockSize : 0;
    case audioMasterGetCurrentProcessLevel:
        return kProcessLevelOffline;
    case audioMasterGetLanguage:
        return kHostLanguageEnglish;
    case audioMasterGetVendorString:
        copyText(static_cast<char*>(ptr), "Korvane", kIdentityTextSize);
        return 1;
    case audioMasterGetProductString:
        copyText(static_cast<char*>(ptr), "ulvo-render", kIdentityTextSize);
        return 1;
    case audioMasterGetVendorVersion:
        return 1;
    case audioMasterCanDo: {
        const char* what = static_cast<const char*>(ptr);
        if (what == nullptr) return 0;
        return std::strcmp(what, "sendVstEvents") == 0 || std::strcmp(what, "sendVstMidiEvent") == 0
                   ? 1
                   : -1;
    }
    default:
        return 0; // no time info, no windows, no files: "not supported"
    }
}

} // namespace

Vst2Instance::Vst2Instance(const Vst2Library& library, std::int32_t rate, std::int32_t blockSize) {
    context.sampleRate = rate;
    context.blockSize = blockSize;
    creatingContext = &context;
    effect = library.entry()(hostCallback);
    creatingContext = nullptr;
    if (effect == nullptr)
        throw ToolError("'" + library.path() + "': the plug-in's entry returned no instrument");
    if (effect->magic != kEffectRecordMagic) {
        effect = nullptr; // not ours to close: its dispatcher may be anything
        throw ToolError("'" + library.path() + "' did not return a VST 2 effect record");
    }
    effect->user = &context;
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    dispatch(effSetBlockSize, 0, blockSize);
    if (effect->numOutputs <= 0) {
        dispatch(effClose);
        effect = nullptr;
        throw ToolError("'" + library.path() + "' has no audio outputs");
    }
}

Vst2Instance::~Vst2Instance() {
    if (effect == nullptr) return;
    switchOff();
    dispatch(effClose); // the instrument frees itself and its record here
}

std::string Vst2Instance::parameterName(std::int32_t index) const {
    // The interface allows 8 bytes, but many instruments write longer names: leave them room.
    char name[256] = {};
    dispatch(effGetParamName, index, 0, name);
    return std::string(name, strnlen(name, sizeof name - 1));
}

std::vector<ParameterInfo> Vst2Instance::parameters() const {
    std::vector<ParameterInfo> list;
    for (std::int32_t i = 0; i < effect->numParams; ++i)
        list.push_back({"", parameterName(i), {0.0f, 1.0f}, parameter(i), "", false, {}});
    return list;
}

void Vst2Instance::setParameter(std::int32_t index, float value) {
    effect->setParameter(effect, index, value);
}

void Vst2Instance::selectProgram(std::int32_t program) {
    if (program < 0 || program >= effect->numPrograms)
        throw UsageError("the plug-in has no program " + std::to_string(program) +
                         (effect->numPrograms > 0
                              ? " (it has " + std::to_string(effect->numPrograms) + ", 0 to " +
                                    std::to_string(effect->numPrograms - 1) + ")"
                              : std::string(" (it has none)")));
    dispatch(effSetProgram, 0, program);
}

std::vector<ListedPreset> Vst2Instance::presets() const {
    std::vector<ListedPreset> list;
    for (std::int32_t i = 0; i < effect->numPrograms; ++i) {
        // As for parameter names, room for instruments that write more than the 24 bytes allowed.
        char name[256] = {};
        dispatch(effGetProgramNameIndexed, i, -1, name);
        list.push_back(
            {"Programs (--program N)",
             std::to_string(i) + ": " + std::string(name, strnlen(name, sizeof name - 1))});
    }
    return list;
}

void Vst2Instance::selectPreset(const std::string& label) {
    throw UsageError("--preset '" + label +
                     "': VST 2 plug-ins keep programs, not presets; use --program N");
}

void Vst2Instance::switchOn() {
    if (on) return;
    dispatch(effMainsChanged, 0, 1);
    on = true;
}

void Vst2Instance::switchOff() {
    if (!on) return;
    dispatch(effMainsChanged, 0, 0);
    on = false;
}

void Vst2Instance::sendEvents(std::span<const BlockMessage> messages) {
    if (VstEvents* list = events.fill(messages)) dispatch(effProcessEvents, 0, 0, list);
}

void Vst2Instance::render(float** inputs, float** outputs, std::int32_t frames) {
    if ((effect->flags & effFlagsCanReplacing) != 0) {
        effect->processReplacing(effect, inputs, outputs, frames);
        return;
    }
    // An instrument without a replacing render adds to what the buffers hold.
    for (std::int32_t c = 0; c < effect->numOutputs; ++c)
        std::fill(outputs[c], outputs[c] + frames, 0.0f);
    effect->process(effect, inputs, outputs, frames);
}

VstIntPtr Vst2Instance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt) const {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}
