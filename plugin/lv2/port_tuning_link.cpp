#include "plugin/lv2/port_tuning_link.h"

#include <lv2/atom/util.h>
#include <lv2/patch/patch.h>

#include <array>

#include "plugin/lv2/ulvodraw_uris.h"

namespace {

// A patch:Set with an empty path, or a patch:Get, fits with room to spare.
constexpr std::size_t kMessageBytes = 256;

} // namespace

PortTuningLink::PortTuningLink(LV2UI_Write_Function write, LV2UI_Controller controller,
                               const LV2_URID_Map* map)
    : write(write), controller(controller), mapped(map != nullptr) {
    if (!mapped) return;
    const auto id = [&](const char* uri) { return map->map(map->handle, uri); };
    urids = {id(LV2_ATOM__eventTransfer),
             id(LV2_ATOM__Object),
             id(LV2_ATOM__Blank),
             id(LV2_PATCH__Set),
             id(LV2_PATCH__Get),
             id(LV2_PATCH__property),
             id(LV2_PATCH__value),
             id(LV2_ATOM__Path),
             id(LV2_ATOM__String),
             id(LV2_ATOM__URID),
             id(kScaleUri),
             id(kScaleDescriptionUri),
             id(kKeymapUri)};
    lv2_atom_forge_init(&forge, const_cast<LV2_URID_Map*>(map));
}

void PortTuningLink::askNames() {
    if (!mapped) return;
    alignas(8) std::array<std::uint8_t, kMessageBytes> buffer{};
    lv2_atom_forge_set_buffer(&forge, buffer.data(), buffer.size());
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_object(&forge, &frame, 0, urids.patchGet);
    lv2_atom_forge_pop(&forge, &frame);
    send(buffer.data());
}

void PortTuningLink::resetTuning() {
    if (!mapped) return;
    setEmptyPath(urids.scale);
    setEmptyPath(urids.keymap);
}

void PortTuningLink::setEmptyPath(LV2_URID property) {
    alignas(8) std::array<std::uint8_t, kMessageBytes> buffer{};
    lv2_atom_forge_set_buffer(&forge, buffer.data(), buffer.size());
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_object(&forge, &frame, 0, urids.patchSet);
    lv2_atom_forge_key(&forge, urids.patchProperty);
    lv2_atom_forge_urid(&forge, property);
    lv2_atom_forge_key(&forge, urids.patchValue);
    lv2_atom_forge_path(&forge, "", 0);
    lv2_atom_forge_pop(&forge, &frame);
    send(buffer.data());
}

void PortTuningLink::send(const void* atom) {
    if (write == nullptr) return;
    const auto* head = static_cast<const LV2_Atom*>(atom);
    write(controller, kMidiInPort, lv2_atom_total_size(head), urids.eventTransfer, atom);
}

// The atom's own size is checked against what the host gave before its body is read.
void PortTuningLink::portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format,
                               const void* buffer) {
    if (!mapped || port != kNotifyPort || format != urids.eventTransfer || buffer == nullptr ||
        size < sizeof(LV2_Atom_Object))
        return;
    const auto* object = static_cast<const LV2_Atom_Object*>(buffer);
    if (object->atom.size > size - sizeof(LV2_Atom) ||
        (object->atom.type != urids.object && object->atom.type != urids.blank) ||
        object->body.otype != urids.patchSet)
        return;
    const LV2_Atom* property = nullptr;
    const LV2_Atom* value = nullptr;
    lv2_atom_object_get(object, urids.patchProperty, &property, urids.patchValue, &value, 0);
    if (property == nullptr || value == nullptr || property->type != urids.atomUrid ||
        property->size < sizeof(LV2_URID) ||
        (value->type != urids.atomPath && value->type != urids.atomString))
        return;
    const LV2_URID key = reinterpret_cast<const LV2_Atom_URID*>(property)->body;
    const std::string_view text(static_cast<const char*>(LV2_ATOM_BODY_CONST(value)), value->size);
    const std::string told(text.substr(0, text.find('\0')));
    if (key == urids.scale)
        scalePath = told;
    else if (key == urids.scaleDescription)
        description = told;
}

std::string PortTuningLink::tuningName() {
    if (!description.empty()) return description;
    const std::size_t slash = scalePath.find_last_of('/');
    return slash == std::string::npos ? scalePath : scalePath.substr(slash + 1);
}
