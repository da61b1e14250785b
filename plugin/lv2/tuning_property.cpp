#include "plugin/lv2/tuning_property.h"

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
    urids = {id(LV2_PATCH__Set),     id(LV2_PATCH__property), id(LV2_PATCH__value),
             id(LV2_ATOM__Path),     id(LV2_ATOM__String),    id(LV2_ATOM__URID),
             id(kScaleUri),          id(kKeymapUri),          id(kStateScaleNameUri),
             id(kStateScaleTextUri), id(kStateKeymapNameUri), id(kStateKeymapTextUri)};
    lv2_log_logger_init(&logger, &map, log);
}

// Each property's header and value are checked to lie within the object before they are read.
bool Lv2Tuning::patchMessage(const std::uint8_t* body, std::uint32_t size) {
    LV2_Atom_Object_Body head;
    if (size < sizeof head) return false;
    std::memcpy(&head, body, sizeof head);
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

LV2_Worker_Status Lv2Tuning::work(std::uint32_t size, const void* data) {
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
    return LV2_WORKER_SUCCESS;
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
}

void Lv2Tuning::post() {
    const std::optional<TuningTable> table = source.table();
    instrument.postTuning(table ? *table : Instrument::untunedTable());
}

void Lv2Tuning::report(const std::string& error) {
    lv2_log_error(&logger, "UlvoDraw: %s\n", error.c_str());
}
