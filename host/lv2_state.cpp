#include "host/lv2_state.h"

namespace {

LV2_State_Status storeValue(LV2_State_Handle handle, std::uint32_t key, const void* value,
                            std::size_t size, std::uint32_t type, std::uint32_t) {
    auto& state = *static_cast<Lv2State*>(handle);
    state[key] = {std::string(static_cast<const char*>(value), size), type};
    return LV2_STATE_SUCCESS;
}

const void* retrieveValue(LV2_State_Handle handle, std::uint32_t key, std::size_t* size,
                          std::uint32_t* type, std::uint32_t* flags) {
    const auto& state = *static_cast<const Lv2State*>(handle);
    const auto found = state.find(key);
    if (found == state.end()) return nullptr;
    *size = found->second.first.size();
    *type = found->second.second;
    *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    return found->second.first.data();
}

} // namespace

Lv2State saveLv2State(const LV2_State_Interface& face, LV2_Handle plugin, std::uint32_t flags) {
    Lv2State state;
    if (face.save != nullptr) face.save(plugin, storeValue, &state, flags, nullptr);
    return state;
}

void restoreLv2State(const LV2_State_Interface& face, LV2_Handle plugin, const Lv2State& state) {
    if (face.restore != nullptr)
        face.restore(plugin, retrieveValue, const_cast<Lv2State*>(&state), 0, nullptr);
}
