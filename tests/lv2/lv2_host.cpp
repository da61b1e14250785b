#include "tests/lv2/lv2_host.h"

#include <cstring>

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/patch/patch.h>

#include "plugin/lv2/ulvodraw_uris.h"

namespace {

// The longest block the tests run.
constexpr std::int32_t kMaxBlock = 8192;

} // namespace

Lv2Host::Lv2Host(double rate)
    : bundleUri(std::string("file://") + ULVO_LV2_BUNDLE + "/"),
      plugin(ULVO_LV2_BUNDLE, Lv2Search::BundleAlone),
      instance(plugin, static_cast<std::int32_t>(rate), kMaxBlock) {
    instance.switchOn();
}

std::string Lv2Host::uiBinaryPath(const char* uiUri) const {
    std::string path;
    LilvUIs* uis = lilv_plugin_get_uis(lilvPlugin());
    LilvNode* uri = lilv_new_uri(lilvWorld(), uiUri);
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

void Lv2Host::runBlock(std::uint32_t frames, std::vector<float>& left, std::vector<float>& right) {
    left.assign(frames, 0.0f);
    right.assign(frames, 0.0f);
    for (std::int32_t i = 0; i < kControlCount; ++i) {
        instance.setParameter(i, controls[i]);
        instance.connectControl(i, !unconnected[i]);
    }
    // The output array stays valid when a block of no frames leaves the vectors empty.
    float silent[2] = {};
    float* outputs[2] = {frames > 0 ? left.data() : &silent[0],
                         frames > 0 ? right.data() : &silent[1]};
    instance.render(outputs, outputs, static_cast<std::int32_t>(frames));
    readNotify();
}

void Lv2Host::run(std::uint32_t frames, const std::vector<Lv2Midi>& midi, std::vector<float>& left,
                  std::vector<float>& right) {
    std::vector<BlockMessage> messages;
    for (const Lv2Midi& m : midi) {
        BlockMessage message;
        message.offset = m.frame;
        if (m.bytes.size() <= 3) {
            std::memcpy(message.bytes, m.bytes.data(), m.bytes.size());
            message.size = static_cast<std::uint8_t>(m.bytes.size());
        } else {
            message.sysex = m.bytes.data();
            message.sysexSize = static_cast<std::uint32_t>(m.bytes.size());
        }
        messages.push_back(message);
    }
    instance.sendEvents(messages);
    runBlock(frames, left, right);
}

void Lv2Host::runRaw(std::uint32_t frames, std::vector<std::uint64_t>& sequence,
                     std::vector<float>& left, std::vector<float>& right) {
    instance.sendSequence(sequence);
    runBlock(frames, left, right);
}

void Lv2Host::runObject(const std::vector<std::uint8_t>& body) {
    instance.sendObject(body);
    for (std::int32_t i = 0; i < kControlCount; ++i) {
        instance.setParameter(i, controls[i]);
        instance.connectControl(i, !unconnected[i]);
    }
    instance.runObjects();
    readNotify();
}

void Lv2Host::setPath(const char* property, const std::string& path) {
    runObject(instance.patchSet(property, path));
}

void Lv2Host::askNames() {
    const LV2_Atom_Object_Body head{0, map(LV2_PATCH__Get)};
    const auto* from = reinterpret_cast<const std::uint8_t*>(&head);
    runObject({from, from + sizeof head});
}

void Lv2Host::readNotify() {
    for (std::vector<std::uint8_t>& atom : instance.outputAtoms()) {
        const auto* body = reinterpret_cast<const LV2_Atom*>(atom.data());
        if (body->type == map(LV2_ATOM__Object)) {
            const auto* object = reinterpret_cast<const LV2_Atom_Object*>(body);
            const LV2_Atom* property = nullptr;
            const LV2_Atom* value = nullptr;
            if (object->body.otype == map(LV2_PATCH__Set))
                lv2_atom_object_get(object, map(LV2_PATCH__property), &property,
                                    map(LV2_PATCH__value), &value, 0);
            if (property != nullptr && value != nullptr && property->type == map(LV2_ATOM__URID)) {
                const LV2_URID id = reinterpret_cast<const LV2_Atom_URID*>(property)->body;
                const auto* text = static_cast<const char*>(LV2_ATOM_BODY_CONST(value));
                told[instance.unmap(id)] = std::string(text, value->size).c_str();
                ++toldCount;
            }
        }
        notifications.push_back(std::move(atom));
    }
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
