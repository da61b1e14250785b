#include "plugin/lv2/tuning_property.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include <lv2/patch/patch.h>

#include "plugin/lv2/ulvodraw_uris.h"

namespace {

// Longer paths are refused: the message has to fit the host's worker queue.
constexpr std::size_t kMaxPathBytes = 2048;

} // namespace

Lv2Tuning::Lv2Tuning(Instrument& instrument, LV2_URID_Map& map, const LV2_Worker_Schedule* schedule,
                     LV2_Log_Log* log)
    : instrument(instrument), schedule(schedule) {
    const auto id = [&](const char* uri) { return map.map(map.handle, uri); };
    urids = {id(LV2_PATCH__Set),       id(LV2_PATCH__Get),     id(LV2_PATCH__property),
             id(LV2_PATCH__value),     id(LV2_ATOM__Path),     id(LV2_ATOM__String),
             id(LV2_ATOM__URID),       id(kScaleUri),          id(kKeymapUri),
             id(kScaleDescriptionUri), id(kStateScaleNameUri), id(kStateScaleTextUri),
             id(kStateKeymapNameUri),  id(kStateKeymapTextUri)};
    lv2_log_logger_init(&logger, &map, log);
    lv2_atom_forge_init(&forge, &map);
}

// Each property's header and value are checked to lie within the object before they are read.
bool Lv2Tuning::patchMessage(const std::uint8_t* body, std::uint32_t size) {
    LV2_Atom_Object_Body head;
    if (size < sizeof head) return false;
    std::memcpy(&head, body, sizeof head);
    if (head.otype == urids.patchGet) {
        namesPending = true;
        return true;
    }
    if (head.otype != urids.patchSet) return false;
    LV2_URID key = 0;
    std::uint32_t valueType = 0;
    std::string_view path;
    for (std::size_t at = sizeof head; size - at >= sizeof(LV2_Atom_Property_Body);) {
        LV2_Atom_Property_Body property;
        std::memcpy(&property, body + at, sizeof property);
        const std::size_t valueAt = at + sizeof property;
        if (property.value.size > size - valueAt) return false;
        const auto* value = reinterpret_cast<const char*>(body + valueAt);
        if (property.key == urids.patchProperty && property.value.type == urids.atomUrid &&
            property.value.size >= sizeof key)
            std::memcpy(&key, value, sizeof key);
        if (property.key == urids.patchValue) {
            valueType = property.value.type;
            path = std::string_view(value, property.value.size);
        }
        at = valueAt + ((property.value.size + 7u) & ~std::size_t{7});
        if (at > size) break;
    }
    if (key != urids.scale && key != urids.keymap) return false;
    path = path.substr(0, path.find('\0'));
    if (schedule == nullptr || (valueType != urids.atomPath && valueType != urids.atomString) ||
        path.size() > kMaxPathBytes)
        return true;
    std::array<char, sizeof(std::uint32_t) + kMaxPathBytes> message;
    const std::uint32_t which = key == urids.scale ? Scale : Keymap;
    std::memcpy(message.data(), &which, sizeof which);
    std::memcpy(message.data() + sizeof which, path.data(), path.size());
    schedule->schedule_work(schedule->handle,
                            static_cast<std::uint32_t>(sizeof which + path.size()), message.data());
    return true;
}

LV2_Worker_Status Lv2Tuning::work(LV2_Worker_Respond_Function respond,
                                  LV2_Worker_Respond_Handle handle, std::uint32_t size,
                                  const void* data) {
    std::uint32_t which = 0;
    if (data == nullptr || size < sizeof which) return LV2_WORKER_ERR_UNKNOWN;
    std::memcpy(&which, data, sizeof which);
    const std::string path(static_cast<const char*>(data) + sizeof which, size - sizeof which);
    const std::lock_guard<std::mutex> held(lock);
    const std::string error = which == Scale ? source.loadScale(path) : source.loadKeymap(path);
    if (!error.empty()) {
        report(error);
        return LV2_WORKER_SUCCESS;
    }
    post();
    std::array<char, 3 * sizeof(std::uint32_t) + 3 * Names::kRoom> packed;
    const std::uint32_t packedSize = packNames(packed);
    if (respond != nullptr) respond(handle, packedSize, packed.data());
    return LV2_WORKER_SUCCESS;
}

void Lv2Tuning::workResponse(std::uint32_t size, const void* data) {
    if (unpackNames(size, data)) namesPending = true;
}

std::uint32_t
Lv2Tuning::packNames(std::array<char, 3 * sizeof(std::uint32_t) + 3 * Names::kRoom>& out) {
    const std::string_view texts[] = {source.scaleFile().name, source.keymapFile().name,
                                      source.scaleDescription()};
    std::size_t at = 3 * sizeof(std::uint32_t);
    for (std::size_t i = 0; i < 3; ++i) {
        const auto size = static_cast<std::uint32_t>(std::min(texts[i].size(), Names::kRoom));
        std::memcpy(out.data() + i * sizeof size, &size, sizeof size);
        std::memcpy(out.data() + at, texts[i].data(), size);
        at += size;
    }
    return static_cast<std::uint32_t>(at);
}

bool Lv2Tuning::unpackNames(std::uint32_t size, const void* data) {
    std::array<std::uint32_t, 3> sizes;
    if (data == nullptr || size < sizeof sizes) return false;
    const auto* bytes = static_cast<const char*>(data);
    std::memcpy(sizes.data(), bytes, sizeof sizes);
    std::size_t at = sizeof sizes;
    for (const std::uint32_t part : sizes) {
        if (part > Names::kRoom || part > size - at) return false;
        at += part;
    }
    at = sizeof sizes;
    const std::pair<std::array<char, Names::kRoom>*, std::uint32_t*> into[] = {
        {&names.scale, &names.scaleSize},
        {&names.keymap, &names.keymapSize},
        {&names.description, &names.descriptionSize}};
    for (std::size_t i = 0; i < 3; ++i) {
        std::memcpy(into[i].first->data(), bytes + at, sizes[i]);
        *into[i].second = sizes[i];
        at += sizes[i];
    }
    return true;
}

void Lv2Tuning::notify(LV2_Atom_Sequence* out) {
    if (out == nullptr || out->atom.size < sizeof(LV2_Atom_Sequence)) return;
    const std::uint32_t capacity = out->atom.size;
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<std::uint8_t*>(out), capacity);
    lv2_atom_forge_sequence_head(&forge, &frame, 0);
    if (namesPending) {
        const bool told =
            forgeSet(urids.scale, urids.atomPath, names.scale.data(), names.scaleSize) &&
            forgeSet(urids.keymap, urids.atomPath, names.keymap.data(), names.keymapSize) &&
            forgeSet(urids.scaleDescription, urids.atomString, names.description.data(),
                     names.descriptionSize);
        if (told) {
            namesPending = false;
        } else { // too small a buffer: an empty sequence now, the names on a later run
            lv2_atom_forge_set_buffer(&forge, reinterpret_cast<std::uint8_t*>(out), capacity);
            lv2_atom_forge_sequence_head(&forge, &frame, 0);
        }
    }
    lv2_atom_forge_pop(&forge, &frame);
}

bool Lv2Tuning::forgeSet(LV2_URID property, LV2_URID type, const char* text, std::uint32_t size) {
    // Each write is checked: past the buffer's end, a smaller one may still fit.
    LV2_Atom_Forge_Frame frame;
    if (lv2_atom_forge_frame_time(&forge, 0) == 0 ||
        lv2_atom_forge_object(&forge, &frame, 0, urids.patchSet) == 0)
        return false;
    const bool written = lv2_atom_forge_key(&forge, urids.patchProperty) != 0 &&
                         lv2_atom_forge_urid(&forge, property) != 0 &&
                         lv2_atom_forge_key(&forge, urids.patchValue) != 0 &&
                         lv2_atom_forge_typed_string(&forge, type, text, size) != 0;
    lv2_atom_forge_pop(&forge, &frame);
    return written;
}

LV2_State_Status Lv2Tuning::save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    const std::lock_guard<std::mutex> held(lock);
    const std::uint32_t flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    const std::pair<LV2_URID, const std::string*> entries[] = {
        {urids.scaleName, &source.scaleFile().name},
        {urids.scaleText, &source.scaleFile().text},
        {urids.keymapName, &source.keymapFile().name},
        {urids.keymapText, &source.keymapFile().text}};
    for (const auto& [key, text] : entries) {
        if (text->empty()) continue;
        const LV2_State_Status status =
            store(handle, key, text->c_str(), text->size() + 1, urids.atomString, flags);
        if (status != LV2_STATE_SUCCESS) return status;
    }
    return LV2_STATE_SUCCESS;
}

void Lv2Tuning::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    const auto text = [&](LV2_URID key) {
        std::size_t size = 0;
        std::uint32_t type = 0;
        std::uint32_t flags = 0;
        const void* data = retrieve(handle, key, &size, &type, &flags);
        if (data == nullptr || type != urids.atomString) return std::string();
        const std::string_view value(static_cast<const char*>(data), size);
        return std::string(value.substr(0, value.find('\0')));
    };
    const std::lock_guard<std::mutex> held(lock);
    const bool wasActive = source.active();
    source = {};
    for (const std::string& error :
         {source.setScale({text(urids.scaleName), text(urids.scaleText)}),
          source.setKeymap({text(urids.keymapName), text(urids.keymapText)})})
        if (!error.empty()) report(error);
    if (wasActive || source.active()) post();
    std::array<char, 3 * sizeof(std::uint32_t) + 3 * Names::kRoom> packed;
    unpackNames(packNames(packed), packed.data());
    namesPending = true;
}

void Lv2Tuning::post() {
    const std::optional<TuningTable> table = source.table();
    instrument.postTuning(table ? *table : Instrument::untunedTable());
}

void Lv2Tuning::report(const std::string& error) {
    lv2_log_error(&logger, "UlvoDraw: %s\n", error.c_str());
}
