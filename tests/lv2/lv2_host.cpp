#include "tests/lv2/lv2_host.h"

#include <algorithm>
#include <cstring>

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <lv2/patch/patch.h>

#include "plugin/lv2/ulvodraw_uris.h"
#include "tests/support/lv2_patch_set.h"

Lv2Host::Lv2Host(double rate) {
    world = lilv_world_new();
    bundleUri = std::string("file://") + ULVO_LV2_BUNDLE + "/";
    LilvNode* bundle = lilv_new_uri(world, bundleUri.c_str());
    lilv_world_load_specifications(world);
    lilv_world_load_bundle(world, bundle);
    lilv_node_free(bundle);
    LilvNode* uri = lilv_new_uri(world, kPluginUri);
    plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
    lilv_node_free(uri);
    if (plugin == nullptr) return;
    const LV2_Feature* features[] = {&mapFeature, worker.feature(), nullptr};
    instance = lilv_plugin_instantiate(plugin, rate, features);
    if (instance == nullptr) return;
    worker.attach(instance);
    lilv_instance_activate(instance);
}

Lv2Host::~Lv2Host() {
    if (instance != nullptr) {
        lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
    }
    lilv_world_free(world);
}

std::string Lv2Host::uiBinaryPath(const char* uiUri) const {
    if (plugin == nullptr) return {};
    std::string path;
    LilvUIs* uis = lilv_plugin_get_uis(plugin);
    LilvNode* uri = lilv_new_uri(world, uiUri);
    if (const LilvUI* ui = lilv_uis_get_by_uri(uis, uri)) {
        if (char* file =
                lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr)) {
            path = file;
            lilv_free(file);
        }
    }
    lilv_node_free(uri);
    lilv_uis_free(uis);
    return path;
}

LV2_URID Lv2Host::mapUri(LV2_URID_Map_Handle handle, const char* uri) {
    auto& uris = static_cast<Lv2Host*>(handle)->uris;
    const auto found = std::find(uris.begin(), uris.end(), uri);
    if (found != uris.end()) return static_cast<LV2_URID>(found - uris.begin() + 1);
    uris.emplace_back(uri);
    return static_cast<LV2_URID>(uris.size());
}

LV2_URID Lv2Host::map(const char* uri) {
    return mapUri(this, uri);
}

void Lv2Host::run(std::uint32_t frames, const std::vector<Lv2Midi>& midi, std::vector<float>& left,
                  std::vector<float>& right) {
    // Header, then each event: frame time, size and type, body padded to 8 bytes.
    std::vector<std::uint8_t> bytes(sizeof(LV2_Atom_Sequence));
    for (const Lv2Midi& m : midi) {
        LV2_Atom_Event event{};
        event.time.frames = m.frame;
        event.body.size = static_cast<std::uint32_t>(m.bytes.size());
        event.body.type = map(LV2_MIDI__MidiEvent);
        const std::size_t at = bytes.size();
        bytes.resize(at + sizeof event + ((m.bytes.size() + 7) & ~std::size_t{7}));
        std::memcpy(bytes.data() + at, &event, sizeof event);
        std::memcpy(bytes.data() + at + sizeof event, m.bytes.data(), m.bytes.size());
    }
    LV2_Atom_Sequence header{};
    header.atom.size = static_cast<std::uint32_t>(bytes.size() - sizeof(LV2_Atom));
    header.atom.type = map(LV2_ATOM__Sequence);
    std::memcpy(bytes.data(), &header, sizeof header);
    sequence.assign((bytes.size() + 7) / 8, 0);
    std::memcpy(sequence.data(), bytes.data(), bytes.size());
    runRaw(frames, sequence, left, right);
}

void Lv2Host::runRaw(std::uint32_t frames, std::vector<std::uint64_t>& raw,
                     std::vector<float>& left, std::vector<float>& right) {
    left.assign(frames, 0.0f);
    right.assign(frames, 0.0f);
    lilv_instance_connect_port(instance, kMidiInPort, raw.data());
    lilv_instance_connect_port(instance, kOutputLeftPort, left.data());
    lilv_instance_connect_port(instance, kOutputRightPort, right.data());
    for (std::uint32_t i = 0; i < kControlCount; ++i)
        lilv_instance_connect_port(instance, kFirstParameterPort + i,
                                   unconnected[i] ? nullptr : &controls[i]);
    notify.assign(8192 / 8, 0);
    LV2_Atom capacity{8192, map(LV2_ATOM__Chunk)};
    std::memcpy(notify.data(), &capacity, sizeof capacity);
    lilv_instance_connect_port(instance, kNotifyPort, notify.data());
    lilv_instance_run(instance, frames);
    readNotify();
    worker.finishBlock();
}

void Lv2Host::readNotify() {
    const auto* head = reinterpret_cast<const LV2_Atom_Sequence*>(notify.data());
    if (head->atom.type != map(LV2_ATOM__Sequence)) return;
    LV2_ATOM_SEQUENCE_FOREACH(head, event) {
        const auto* whole = reinterpret_cast<const std::uint8_t*>(&event->body);
        notifications.emplace_back(whole, whole + sizeof(LV2_Atom) + event->body.size);
        if (event->body.type != map(LV2_ATOM__Object)) continue;
        const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
        if (object->body.otype != map(LV2_PATCH__Set)) continue;
        const LV2_Atom* property = nullptr;
        const LV2_Atom* value = nullptr;
        lv2_atom_object_get(object, map(LV2_PATCH__property), &property, map(LV2_PATCH__value),
                            &value, 0);
        if (property == nullptr || value == nullptr || property->type != map(LV2_ATOM__URID))
            continue;
        const LV2_URID id = reinterpret_cast<const LV2_Atom_URID*>(property)->body;
        const auto* text = static_cast<const char*>(LV2_ATOM_BODY_CONST(value));
        told[uris.at(id - 1)] = std::string(text, value->size).c_str();
        ++toldCount;
    }
}

void Lv2Host::setPath(const char* property, const std::string& path) {
    runObject(patchSetBody([this](const char* uri) { return map(uri); }, map(property), path));
}

void Lv2Host::askNames() {
    const LV2_Atom_Object_Body head{0, map(LV2_PATCH__Get)};
    const auto* from = reinterpret_cast<const std::uint8_t*>(&head);
    runObject({from, from + sizeof head});
}

void Lv2Host::runObject(const std::vector<std::uint8_t>& body) {
    std::vector<std::uint8_t> bytes(sizeof(LV2_Atom_Sequence) + sizeof(LV2_Atom_Event));
    LV2_Atom_Event event{};
    event.body.size = static_cast<std::uint32_t>(body.size());
    event.body.type = map(LV2_ATOM__Object);
    std::memcpy(bytes.data() + sizeof(LV2_Atom_Sequence), &event, sizeof event);
    bytes.insert(bytes.end(), body.begin(), body.end());
    LV2_Atom_Sequence header{};
    header.atom.size = static_cast<std::uint32_t>(bytes.size() - sizeof(LV2_Atom));
    header.atom.type = map(LV2_ATOM__Sequence);
    std::memcpy(bytes.data(), &header, sizeof header);
    sequence.assign((bytes.size() + 7) / 8, 0);
    std::memcpy(sequence.data(), bytes.data(), bytes.size());
    std::vector<float> left, right;
    runRaw(0, sequence, left, right);
}

namespace {

LV2_State_Status storeValue(LV2_State_Handle handle, std::uint32_t key, const void* value,
                            std::size_t size, std::uint32_t type, std::uint32_t) {
    auto& state = *static_cast<Lv2Host::State*>(handle);
    state[key] = {std::string(static_cast<const char*>(value), size), type};
    return LV2_STATE_SUCCESS;
}

const void* retrieveValue(LV2_State_Handle handle, std::uint32_t key, std::size_t* size,
                          std::uint32_t* type, std::uint32_t* flags) {
    const auto& state = *static_cast<const Lv2Host::State*>(handle);
    const auto found = state.find(key);
    if (found == state.end()) return nullptr;
    *size = found->second.first.size();
    *type = found->second.second;
    *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    return found->second.first.data();
}

const LV2_State_Interface* stateOf(LilvInstance* instance) {
    return static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(instance, LV2_STATE__interface));
}

} // namespace

Lv2Host::State Lv2Host::saveState() {
    State state;
    stateOf(instance)->save(lilv_instance_get_handle(instance), storeValue, &state, 0, nullptr);
    return state;
}

void Lv2Host::restoreState(const State& state) {
    stateOf(instance)->restore(lilv_instance_get_handle(instance), retrieveValue,
                               const_cast<State*>(&state), 0, nullptr);
}

std::string Lv2Host::saveBank() {
    const State state = saveState();
    const auto bank = state.find(map(kStateBankUri));
    if (bank == state.end() || bank->second.second != map(LV2_ATOM__String)) return {};
    // Stored with its terminator, as an atom:String is.
    std::string text = bank->second.first;
    if (text.empty() || text.back() != '\0') return {};
    text.pop_back();
    return text;
}

void Lv2Host::restoreBank(const std::string& text, LV2_URID type) {
    restoreState({{map(kStateBankUri), {text, type != 0 ? type : map(LV2_ATOM__String)}}});
}
