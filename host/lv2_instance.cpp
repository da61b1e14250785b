#include "host/lv2_instance.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>
#include <utility>

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/patch/patch.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/units/units.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include "host/lv2_bundle_search.h"
#include "host/lv2_patch_set.h"
#include "host/lv2_state.h"
#include "host/lv2_urid_map.h"
#include "tools/common/preset_list.h"
#include "tools/common/tool_error.h"

namespace {

bool isFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool declares(const Lv2Bundle& bundle, const std::string& uri) {
    return std::find(bundle.plugins.begin(), bundle.plugins.end(), uri) != bundle.plugins.end();
}

struct NodeDeleter {
    void operator()(LilvNode* node) const { lilv_node_free(node); }
};
using Node = std::unique_ptr<LilvNode, NodeDeleter>;

constexpr std::uint32_t kSequenceCapacity = 1 << 16;

// A unit as a person writes it after a number; the URI's own name for one not listed.
std::string unitText(const std::string& uri) {
    const std::pair<const char*, const char*> known[] = {
        {LV2_UNITS__db, "dB"},
        {LV2_UNITS__hz, "Hz"},
        {LV2_UNITS__khz, "kHz"},
        {LV2_UNITS__cent, "cents"},
        {LV2_UNITS__semitone12TET, "semitones"},
        {LV2_UNITS__s, "s"},
        {LV2_UNITS__ms, "ms"},
        {LV2_UNITS__pc, "%"},
        {LV2_UNITS__coef, "times"},
        {LV2_UNITS__bpm, "BPM"},
        {LV2_UNITS__midiNote, "MIDI note"},
        {LV2_UNITS__oct, "octaves"},
    };
    for (const auto& [unit, text] : known)
        if (uri == unit) return text;
    const std::size_t hash = uri.rfind('#');
    return hash == std::string::npos ? uri : uri.substr(hash + 1);
}

// The unit, kind and named values of a control port, for listings.
void describeControl(LilvWorld* world, const LilvPlugin* plugin, const LilvPort* port,
                     ParameterInfo& info) {
    Node unitPredicate(lilv_new_uri(world, LV2_UNITS__unit));
    Node integer(lilv_new_uri(world, LV2_CORE__integer));
    Node enumeration(lilv_new_uri(world, LV2_CORE__enumeration));
    if (LilvNodes* units = lilv_port_get_value(plugin, port, unitPredicate.get())) {
        const LilvNode* unit = lilv_nodes_get_first(units);
        if (unit != nullptr && lilv_node_is_uri(unit)) info.unit = unitText(lilv_node_as_uri(unit));
        lilv_nodes_free(units);
    }
    info.whole = lilv_port_has_property(plugin, port, integer.get());
    if (!lilv_port_has_property(plugin, port, enumeration.get())) return;
    LilvScalePoints* points = lilv_port_get_scale_points(plugin, port);
    LILV_FOREACH(scale_points, i, points) {
        const LilvScalePoint* point = lilv_scale_points_get(points, i);
        info.choices.emplace_back(lilv_node_as_float(lilv_scale_point_get_value(point)),
                                  lilv_node_as_string(lilv_scale_point_get_label(point)));
    }
    lilv_scale_points_free(points);
    std::sort(info.choices.begin(), info.choices.end());
}

// The chosen bundle first, then every other bundle that declares none of the plug-ins already
// loaded, for the presets it may add: lilv would otherwise keep whichever copy of a plug-in it met
// first, and say so in three lines of its own.
void loadBundles(LilvWorld* world, const Lv2Bundle& chosen, const std::vector<Lv2Bundle>& others) {
    std::vector<std::string> loaded;
    const auto load = [&](const Lv2Bundle& bundle) {
        Node uri(lilv_new_file_uri(world, nullptr, (bundle.realFolder + "/").c_str()));
        lilv_world_load_bundle(world, uri.get());
        loaded.insert(loaded.end(), bundle.plugins.begin(), bundle.plugins.end());
    };
    load(chosen);
    for (const Lv2Bundle& bundle : others) {
        const bool clashes =
            std::any_of(bundle.plugins.begin(), bundle.plugins.end(), [&](const std::string& uri) {
                return std::find(loaded.begin(), loaded.end(), uri) != loaded.end();
            });
        if (bundle.realFolder != chosen.realFolder && !clashes) load(bundle);
    }
}

} // namespace

bool looksLikeLv2(const std::string& text) {
    return text.find("://") != std::string::npos || text.find("urn:") == 0 || isFolder(text);
}

Lv2Plugin::Lv2Plugin(const std::string& uriOrBundle, Lv2Search search) : uri(uriOrBundle) {
    const std::vector<Lv2Bundle> found =
        search == Lv2Search::Everywhere ? searchLv2Bundles() : std::vector<Lv2Bundle>{};
    Lv2Bundle chosen;
    if (isFolder(uriOrBundle)) {
        if (!isLv2Bundle(uriOrBundle))
            throw ToolError("the folder '" + uriOrBundle +
                            "' holds no LV2 plug-in (it has no manifest.ttl)");
        chosen = readLv2Bundle(uriOrBundle);
        if (chosen.plugins.empty())
            throw ToolError("the folder '" + uriOrBundle + "' holds no LV2 plug-in");
        uri = chosen.plugins.front();
    } else {
        std::vector<const Lv2Bundle*> holders;
        for (const Lv2Bundle& bundle : found)
            if (declares(bundle, uriOrBundle)) holders.push_back(&bundle);
        if (holders.empty())
            throw ToolError("no LV2 plug-in '" + uriOrBundle +
                            "' is installed (LV2_PATH, then beside ulvo-render and in ../lib/lv2 "
                            "from its folder, were searched)");
        chosen = *holders.front();
        if (holders.size() > 1) {
            choice = uri + " is in " + std::to_string(holders.size()) + " bundles; loading '" +
                     chosen.folder + "', the first in LV2_PATH order (not";
            for (std::size_t i = 1; i < holders.size(); ++i)
                choice += (i > 1 ? ", '" : " '") + holders[i]->folder + "'";
            choice += ")";
        }
    }
    lilvWorld.reset(lilv_world_new());
    loadBundles(lilvWorld.get(), chosen, found);
    Node node(lilv_new_uri(lilvWorld.get(), uri.c_str()));
    lilvPlugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(lilvWorld.get()), node.get());
    if (lilvPlugin == nullptr)
        throw ToolError("the LV2 plug-in '" + uri + "' in '" + chosen.folder + "' cannot be read");
}

// What the host offers every instance: URID mapping both ways, block lengths and the rate as
// options, the promise of bounded block lengths, and a worker.
struct Lv2Instance::Features {
    Lv2UridMap uris;
    std::int32_t minBlock = 1, maxBlock = 0, nominalBlock = 0;
    float rate = 0;
    std::vector<LV2_Options_Option> options;
    LV2_Feature optionsFeature{LV2_OPTIONS__options, nullptr};
    LV2_Feature boundedFeature{LV2_BUF_SIZE__boundedBlockLength, nullptr};
    std::vector<const LV2_Feature*> list;

    Features(std::int32_t rate, std::int32_t block, const LV2_Feature* worker)
        : maxBlock(block), nominalBlock(block) {
        this->rate = static_cast<float>(rate);
        const LV2_URID intType = id(LV2_ATOM__Int), floatType = id(LV2_ATOM__Float);
        options = {{LV2_OPTIONS_INSTANCE, 0, id(LV2_BUF_SIZE__minBlockLength), sizeof minBlock,
                    intType, &minBlock},
                   {LV2_OPTIONS_INSTANCE, 0, id(LV2_BUF_SIZE__maxBlockLength), sizeof maxBlock,
                    intType, &maxBlock},
                   {LV2_OPTIONS_INSTANCE, 0, id(LV2_BUF_SIZE__nominalBlockLength),
                    sizeof nominalBlock, intType, &nominalBlock},
                   {LV2_OPTIONS_INSTANCE, 0, id(LV2_PARAMETERS__sampleRate), sizeof this->rate,
                    floatType, &this->rate},
                   {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
        optionsFeature.data = options.data();
        list = {uris.mapFeature(),
                uris.unmapFeature(),
                &optionsFeature,
                &boundedFeature,
                worker,
                nullptr};
    }
    LV2_URID id(const char* uri) { return uris.map(uri); }
    bool offers(const char* uri) const {
        for (const LV2_Feature* f : list)
            if (f != nullptr && std::strcmp(f->URI, uri) == 0) return true;
        return false;
    }
};

Lv2Instance::Lv2Instance(const Lv2Plugin& plugin, std::int32_t rate, std::int32_t maxBlock)
    : source(plugin), worker(std::make_unique<Lv2Worker>()),
      features(std::make_unique<Features>(rate, maxBlock, worker->feature())), maxBlock(maxBlock) {
    LilvWorld* world = plugin.world();
    const LilvPlugin* p = plugin.plugin();
    const std::string name = plugin.name();

    LilvNodes* required = lilv_plugin_get_required_features(p);
    LILV_FOREACH(nodes, i, required) {
        const char* feature = lilv_node_as_uri(lilv_nodes_get(required, i));
        if (!features->offers(feature)) {
            const std::string missing = feature;
            lilv_nodes_free(required);
            throw ToolError("the LV2 plug-in '" + name + "' needs " + missing +
                            ", which ulvo-render does not offer");
        }
    }
    lilv_nodes_free(required);

    Node audio(lilv_new_uri(world, LV2_CORE__AudioPort)),
        control(lilv_new_uri(world, LV2_CORE__ControlPort)),
        atom(lilv_new_uri(world, LV2_ATOM__AtomPort)), cv(lilv_new_uri(world, LV2_CORE__CVPort)),
        input(lilv_new_uri(world, LV2_CORE__InputPort)),
        optional(lilv_new_uri(world, LV2_CORE__connectionOptional)),
        midiEvent(lilv_new_uri(world, LV2_MIDI__MidiEvent));
    const std::uint32_t ports = lilv_plugin_get_num_ports(p);
    portValues.assign(ports, 0.0f);
    std::vector<float> minimum(ports, 0.0f), maximum(ports, 0.0f), defaults(ports, 0.0f);
    lilv_plugin_get_port_ranges_float(p, minimum.data(), maximum.data(), defaults.data());
    for (std::uint32_t index = 0; index < ports; ++index) {
        const LilvPort* port = lilv_plugin_get_port_by_index(p, index);
        const bool isInput = lilv_port_is_a(p, port, input.get());
        if (lilv_port_is_a(p, port, audio.get())) {
            (isInput ? audioIns : audioOuts).push_back(index);
        } else if (lilv_port_is_a(p, port, control.get())) {
            portValues[index] = std::isnan(defaults[index]) ? 0.0f : defaults[index];
            if (isInput) {
                Node portName(lilv_port_get_name(p, port));
                ParameterInfo info{lilv_node_as_string(lilv_port_get_symbol(p, port)),
                                   portName ? lilv_node_as_string(portName.get()) : "",
                                   {minimum[index], maximum[index]},
                                   defaults[index],
                                   "",
                                   false,
                                   {}};
                describeControl(world, p, port, info);
                controls.push_back(std::move(info));
                controlPorts.push_back(index);
            }
        } else if (lilv_port_is_a(p, port, atom.get())) {
            if (isInput && midiPort < 0 && lilv_port_supports_event(p, port, midiEvent.get()))
                midiPort = index;
            else
                (isInput ? atomIns : atomOuts).push_back(index);
        } else if (lilv_port_is_a(p, port, cv.get())) {
            cvPorts.push_back(index);
        } else if (!lilv_port_has_property(p, port, optional.get())) {
            throw ToolError("the LV2 plug-in '" + name + "' has port '" +
                            lilv_node_as_string(lilv_port_get_symbol(p, port)) +
                            "' of a kind ulvo-render cannot connect");
        }
    }
    if (audioOuts.empty()) throw ToolError("the LV2 plug-in '" + name + "' has no audio outputs");
    for (const std::uint32_t port : controlPorts)
        controlValues.push_back(portValues[port]);

    midiEventType = features->id(LV2_MIDI__MidiEvent);
    sequenceType = features->id(LV2_ATOM__Sequence);
    chunkType = features->id(LV2_ATOM__Chunk);
    instance = lilv_plugin_instantiate(p, rate, features->list.data());
    if (instance == nullptr)
        throw ToolError("the LV2 plug-in '" + name + "' could not be instantiated at " +
                        std::to_string(rate) + " Hz");
    worker->attach(lilv_instance_get_handle(instance),
                   static_cast<const LV2_Worker_Interface*>(
                       lilv_instance_get_extension_data(instance, LV2_WORKER__interface)));
    midiBuffer.assign(kSequenceCapacity / 8, 0);
    atomBuffers.assign(atomIns.size() + atomOuts.size(),
                       std::vector<std::uint64_t>(kSequenceCapacity / 8, 0));
    scratch.assign(audioIns.size() + cvPorts.size(),
                   std::vector<float>(static_cast<std::size_t>(std::max(maxBlock, 1)), 0.0f));
    for (std::uint32_t index = 0; index < ports; ++index)
        lilv_instance_connect_port(instance, index, &portValues[index]);
    connectedOutputs.assign(audioOuts.size(), nullptr);
    connectScratch();
    sendEvents({});
}

Lv2Instance::~Lv2Instance() {
    if (instance == nullptr) return;
    switchOff();
    lilv_instance_free(instance);
}

std::int32_t Lv2Instance::inputCount() const {
    return 0;
} // audio inputs are fed silence here
std::int32_t Lv2Instance::outputCount() const {
    return static_cast<std::int32_t>(audioOuts.size());
}

void Lv2Instance::setParameter(std::int32_t index, float value) {
    if (index < 0 || static_cast<std::size_t>(index) >= controls.size()) return;
    controlValues[index] = value;
    portValues[controlPorts[index]] = value;
}

float Lv2Instance::parameter(std::int32_t index) const {
    return index >= 0 && static_cast<std::size_t>(index) < controls.size() ? controlValues[index]
                                                                           : 0.0f;
}

void Lv2Instance::setControlBySymbol(const std::string& symbol, float value) {
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (controls[i].symbol == symbol) setParameter(static_cast<std::int32_t>(i), value);
}

void Lv2Instance::selectProgram(std::int32_t program) {
    throw UsageError("--program " + std::to_string(program) +
                     ": LV2 plug-ins have presets, not programs; use --preset LABEL");
}

namespace {

void setPortValue(const char* symbol, void* data, const void* value, std::uint32_t size,
                  std::uint32_t type) {
    auto* self = static_cast<std::pair<Lv2Instance*, const Lv2UridMap*>*>(data);
    const char* typeUri = self->second->unmap(type);
    if (typeUri == nullptr) return;
    float number = 0.0f;
    if (std::strcmp(typeUri, LV2_ATOM__Float) == 0 && size == sizeof(float))
        std::memcpy(&number, value, sizeof number);
    else if (std::strcmp(typeUri, LV2_ATOM__Double) == 0 && size == sizeof(double)) {
        double d = 0;
        std::memcpy(&d, value, sizeof d);
        number = static_cast<float>(d);
    } else if (std::strcmp(typeUri, LV2_ATOM__Int) == 0 && size == sizeof(std::int32_t)) {
        std::int32_t i = 0;
        std::memcpy(&i, value, sizeof i);
        number = static_cast<float>(i);
    } else {
        return;
    }
    self->first->setControlBySymbol(symbol, number);
}

} // namespace

std::vector<Lv2Instance::PresetEntry> Lv2Instance::presetEntries() const {
    LilvWorld* world = source.world();
    Node presetClass(lilv_new_uri(world, LV2_PRESETS__Preset));
    Node labelPredicate(lilv_new_uri(world, LILV_NS_RDFS "label"));
    Node bankPredicate(lilv_new_uri(world, LV2_PRESETS__bank));
    LilvNodes* presets = lilv_plugin_get_related(source.plugin(), presetClass.get());
    std::vector<PresetEntry> entries;
    LILV_FOREACH(nodes, i, presets) {
        const LilvNode* preset = lilv_nodes_get(presets, i);
        lilv_world_load_resource(world, preset);
        Node text(lilv_world_get(world, preset, labelPredicate.get(), nullptr));
        if (text == nullptr) continue;
        PresetEntry entry{lilv_node_as_uri(preset), {"", lilv_node_as_string(text.get())}};
        Node bank(lilv_world_get(world, preset, bankPredicate.get(), nullptr));
        if (bank != nullptr) {
            Node bankLabel(lilv_world_get(world, bank.get(), labelPredicate.get(), nullptr));
            if (bankLabel != nullptr) entry.listed.family = lilv_node_as_string(bankLabel.get());
        }
        entries.push_back(std::move(entry));
    }
    lilv_nodes_free(presets);
    // lilv keeps no order of its own: by bank and label, as sortByFamily does.
    std::sort(entries.begin(), entries.end(), [](const PresetEntry& a, const PresetEntry& b) {
        return a.listed.family != b.listed.family ? a.listed.family < b.listed.family
                                                  : a.listed.name < b.listed.name;
    });
    return entries;
}

std::vector<ListedPreset> Lv2Instance::presets() const {
    std::vector<ListedPreset> list;
    for (PresetEntry& entry : presetEntries())
        list.push_back(std::move(entry.listed));
    return list;
}

void Lv2Instance::selectPreset(const std::string& label) {
    const std::vector<PresetEntry> entries = presetEntries();
    std::vector<ListedPreset> listed;
    for (const PresetEntry& entry : entries)
        listed.push_back(entry.listed);
    const PresetEntry& chosen = entries[pickPreset(listed, label, "--list-presets")];
    LilvWorld* world = source.world();
    Node preset(lilv_new_uri(world, chosen.uri.c_str()));
    LilvState* state = lilv_state_new_from_world(world, features->uris.mapData(), preset.get());
    if (state == nullptr)
        throw ToolError("the preset '" + chosen.listed.name + "' of '" + source.name() +
                        "' cannot be read");
    std::pair<Lv2Instance*, const Lv2UridMap*> target{this, &features->uris};
    lilv_state_restore(state, instance, setPortValue, &target, 0, features->list.data());
    lilv_state_free(state);
}

void Lv2Instance::setPathProperty(const char* property, const std::string& path,
                                  const std::string& what) {
    LilvWorld* world = source.world();
    const Node subject(lilv_new_uri(world, source.name().c_str()));
    const Node writable(lilv_new_uri(world, LV2_PATCH__writable));
    const Node value(lilv_new_uri(world, property));
    if (!lilv_world_ask(world, subject.get(), writable.get(), value.get()))
        throw UsageError("the LV2 plug-in '" + source.name() + "' has no " + what + " (" +
                         property + ")");
    sendObject(patchSet(property, std::filesystem::absolute(path).string()));
}

void Lv2Instance::switchOn() {
    if (on) return;
    lilv_instance_activate(instance);
    on = true;
    // Patches set before, so that the worker loads their files before any note.
    if (!objects.empty()) runObjects();
}

void Lv2Instance::sendObject(std::vector<std::uint8_t> body) {
    objects.push_back(std::move(body));
}

void Lv2Instance::runObjects() {
    if (midiPort < 0) return;
    std::uint32_t used = sizeof(LV2_Atom_Sequence);
    const LV2_URID objectType = features->id(LV2_ATOM__Object);
    for (const std::vector<std::uint8_t>& body : objects)
        appendEvent(used, 0, objectType, body.data(), static_cast<std::uint32_t>(body.size()));
    objects.clear();
    LV2_Atom_Sequence sequence{};
    sequence.atom.size = used - sizeof(LV2_Atom);
    sequence.atom.type = sequenceType;
    std::memcpy(midiBuffer.data(), &sequence, sizeof sequence);
    std::vector<float> silent(1, 0.0f);
    std::vector<float*> outputs(audioOuts.size(), silent.data());
    render(outputs.data(), outputs.data(), 0);
}

std::vector<std::uint8_t> Lv2Instance::patchSet(const char* property, const std::string& path) {
    return patchSetBody([this](const char* uri) { return map(uri); }, map(property), path);
}

LV2_URID Lv2Instance::map(const char* uri) {
    return features->id(uri);
}

const char* Lv2Instance::unmap(LV2_URID urid) const {
    const char* uri = features->uris.unmap(urid);
    return uri != nullptr ? uri : "";
}

void Lv2Instance::connectControl(std::int32_t index, bool connected) {
    if (index < 0 || static_cast<std::size_t>(index) >= controls.size()) return;
    const std::uint32_t port = controlPorts[index];
    lilv_instance_connect_port(instance, port, connected ? &portValues[port] : nullptr);
}

void Lv2Instance::sendSequence(std::vector<std::uint64_t>& sequence) {
    rawSequence = &sequence;
}

std::vector<std::vector<std::uint8_t>> Lv2Instance::outputAtoms() const {
    std::vector<std::vector<std::uint8_t>> atoms;
    for (std::size_t i = 0; i < atomOuts.size(); ++i) {
        const auto* head =
            reinterpret_cast<const LV2_Atom_Sequence*>(atomBuffers[atomIns.size() + i].data());
        if (head->atom.type != sequenceType) continue;
        LV2_ATOM_SEQUENCE_FOREACH(head, event) {
            const auto* whole = reinterpret_cast<const std::uint8_t*>(&event->body);
            atoms.emplace_back(whole, whole + sizeof(LV2_Atom) + event->body.size);
        }
    }
    return atoms;
}

namespace {

const LV2_State_Interface* stateOf(LilvInstance* instance) {
    return static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(instance, LV2_STATE__interface));
}

} // namespace

Lv2Instance::State Lv2Instance::saveState() {
    const LV2_State_Interface* face = stateOf(instance);
    return face != nullptr ? saveLv2State(*face, lilv_instance_get_handle(instance), 0) : State();
}

bool Lv2Instance::restoreState(const State& state) {
    const LV2_State_Interface* face = stateOf(instance);
    if (face == nullptr || face->restore == nullptr) return false;
    restoreLv2State(*face, lilv_instance_get_handle(instance), state);
    return true;
}

void Lv2Instance::switchOff() {
    if (!on) return;
    lilv_instance_deactivate(instance);
    on = false;
}

void Lv2Instance::connectScratch() {
    std::size_t s = 0;
    for (std::uint32_t port : audioIns)
        lilv_instance_connect_port(instance, port, scratch[s++].data());
    for (std::uint32_t port : cvPorts)
        lilv_instance_connect_port(instance, port, scratch[s++].data());
    std::size_t a = 0;
    for (std::uint32_t port : atomIns)
        lilv_instance_connect_port(instance, port, atomBuffers[a++].data());
    for (std::uint32_t port : atomOuts)
        lilv_instance_connect_port(instance, port, atomBuffers[a++].data());
    if (midiPort >= 0)
        lilv_instance_connect_port(instance, static_cast<std::uint32_t>(midiPort),
                                   midiBuffer.data());
}

void Lv2Instance::appendEvent(std::uint32_t& used, std::int64_t offset, std::uint32_t type,
                              const std::uint8_t* body, std::uint32_t size) {
    const std::size_t padded = (size + 7u) & ~std::size_t{7};
    if (used + sizeof(LV2_Atom_Event) + padded > midiBuffer.size() * 8) {
        midiBuffer.resize(
            std::max(midiBuffer.size() * 2, (used + sizeof(LV2_Atom_Event) + padded) / 8), 0);
        lilv_instance_connect_port(instance, static_cast<std::uint32_t>(midiPort),
                                   midiBuffer.data());
    }
    auto* bytes = reinterpret_cast<std::uint8_t*>(midiBuffer.data());
    LV2_Atom_Event header{};
    header.time.frames = offset;
    header.body.size = size;
    header.body.type = type;
    std::memcpy(bytes + used, &header, sizeof header);
    std::memset(bytes + used + sizeof header, 0, padded);
    std::memcpy(bytes + used + sizeof header, body, size);
    used += static_cast<std::uint32_t>(sizeof header + padded);
}

// The block's MIDI as an atom sequence: each event's frame, size and type, then its bytes padded
// to 8. Channel messages and whole system exclusive messages come from the render loop.
void Lv2Instance::sendEvents(std::span<const BlockMessage> messages) {
    if (midiPort < 0) return;
    std::uint32_t used = sizeof(LV2_Atom_Sequence);
    for (const BlockMessage& message : messages) {
        if (message.sysex != nullptr)
            appendEvent(used, message.offset, midiEventType, message.sysex, message.sysexSize);
        else
            appendEvent(used, message.offset, midiEventType, message.bytes, message.size);
    }
    LV2_Atom_Sequence sequence{};
    sequence.atom.size = used - sizeof(LV2_Atom);
    sequence.atom.type = sequenceType;
    std::memcpy(midiBuffer.data(), &sequence, sizeof sequence);
}

void Lv2Instance::render(float** /*inputs*/, float** outputs, std::int32_t frames) {
    // Connected again only when the render loop's buffers move, as a host does.
    for (std::size_t i = 0; i < audioOuts.size(); ++i)
        if (connectedOutputs[i] != outputs[i]) {
            lilv_instance_connect_port(instance, audioOuts[i], outputs[i]);
            connectedOutputs[i] = outputs[i];
        }
    // Atom outputs announce their capacity; other atom inputs carry an empty sequence.
    const LV2_URID chunk = chunkType;
    std::size_t a = 0;
    for (std::size_t i = 0; i < atomIns.size(); ++i, ++a) {
        LV2_Atom_Sequence empty{{sizeof(LV2_Atom_Sequence_Body), sequenceType}, {0, 0}};
        std::memcpy(atomBuffers[a].data(), &empty, sizeof empty);
    }
    for (std::size_t i = 0; i < atomOuts.size(); ++i, ++a) {
        LV2_Atom capacity{kSequenceCapacity - static_cast<std::uint32_t>(sizeof(LV2_Atom)), chunk};
        std::memcpy(atomBuffers[a].data(), &capacity, sizeof capacity);
    }
    if (rawSequence != nullptr && midiPort >= 0)
        lilv_instance_connect_port(instance, static_cast<std::uint32_t>(midiPort),
                                   rawSequence->data());
    lilv_instance_run(instance, static_cast<std::uint32_t>(frames));
    worker->finishBlock();
    if (rawSequence != nullptr && midiPort >= 0)
        lilv_instance_connect_port(instance, static_cast<std::uint32_t>(midiPort),
                                   midiBuffer.data());
    rawSequence = nullptr;
    // The block's events are spent: the sequence is emptied.
    if (midiPort >= 0) {
        LV2_Atom_Sequence empty{{sizeof(LV2_Atom_Sequence_Body), sequenceType}, {0, 0}};
        std::memcpy(midiBuffer.data(), &empty, sizeof empty);
    }
}
