// Fuzzes the LV2 front as a host could drive it: any sample rate, any control values (NaN,
// infinities, huge), blocks of any size, atom sequences with any sizes, types and frames (out of
// order, past the block), and any saved state. Every sample out must be finite, and nothing may
// be read past the sequence the host gave: each sequence is allocated at its exact size.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include "plugin/lv2/ulvodraw_uris.h"
#include "tests/fuzz/fuzz_host.h"

extern "C" const LV2_Descriptor* lv2_descriptor(std::uint32_t index);

namespace {

constexpr int kMaxBlocks = 24;
constexpr std::uint32_t kMaxFrames = 4096;

// Two URIs matter; every other maps to a number of its own.
LV2_URID mapUri(LV2_URID_Map_Handle, const char* uri) {
    if (std::strcmp(uri, LV2_ATOM__Sequence) == 0) return 1;
    if (std::strcmp(uri, LV2_MIDI__MidiEvent) == 0) return 2;
    if (std::strcmp(uri, LV2_ATOM__String) == 0) return 3;
    return 4 + static_cast<LV2_URID>(std::strlen(uri) % 1000);
}

// A sequence as a host hands it over: its header's size is the bytes that follow, and the buffer
// ends right there. Well-formed events or raw bytes, as the input says.
std::vector<std::uint8_t> sequence(FuzzInput& in) {
    std::vector<std::uint8_t> bytes(sizeof(LV2_Atom_Sequence));
    const bool raw = in.byte() % 4 == 0;
    const int events = in.byte() % 12;
    for (int e = 0; e < events; ++e) {
        LV2_Atom_Event event{};
        event.time.frames = (in.byte() & 1) != 0 ? in.anyInt() : in.frames();
        event.body.size = raw ? in.u32() : 1 + in.byte() % 4;
        event.body.type = (in.byte() & 7) != 0 ? 2 : in.byte();
        const std::size_t at = bytes.size();
        const std::size_t body = raw ? in.byte() % 16 : (event.body.size + 7u) & ~7u;
        bytes.resize(at + sizeof event + body);
        std::memcpy(bytes.data() + at, &event, sizeof event);
        for (std::size_t i = 0; i < body; ++i)
            bytes[at + sizeof event + i] = in.byte();
    }
    LV2_Atom_Sequence header{};
    header.atom.size = static_cast<std::uint32_t>(bytes.size() - sizeof(LV2_Atom));
    header.atom.type = in.byte() % 16 != 0 ? 1 : in.byte();
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes;
}

const void* retrieveText(LV2_State_Handle handle, std::uint32_t, std::size_t* size,
                         std::uint32_t* type, std::uint32_t* flags) {
    const auto* text = static_cast<const std::string*>(handle);
    *size = text->size();
    *type = 3;
    *flags = 0;
    return text->data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const LV2_Descriptor* descriptor = lv2_descriptor(0);
    fuzzCheck(descriptor != nullptr && lv2_descriptor(1) == nullptr, "one plug-in in the module");
    LV2_URID_Map map{nullptr, mapUri};
    const LV2_Feature mapFeature{LV2_URID__map, &map};
    const LV2_Feature* features[] = {&mapFeature, nullptr};
    const double rates[] = {44100, 48000, 8000, 192000, 1, 0, -44100, NAN, INFINITY, 1e12};
    const double rate = rates[in.byte() % 10];
    LV2_Handle plugin = descriptor->instantiate(descriptor, rate, "", features);
    if (plugin == nullptr) {
        fuzzCheck(!(rate > 0 && rate < 1e9), "a usable rate gives an instance");
        return 0;
    }
    std::vector<float> controls(kControlCount, 0.0f);
    std::vector<float> left(kMaxFrames), right(kMaxFrames);
    descriptor->connect_port(plugin, kOutputLeftPort, left.data());
    descriptor->connect_port(plugin, kOutputRightPort, right.data());
    for (std::uint32_t i = 0; i < controls.size(); ++i)
        descriptor->connect_port(plugin, kFirstParameterPort + i, &controls[i]);
    descriptor->activate(plugin);
    const auto* state =
        static_cast<const LV2_State_Interface*>(descriptor->extension_data(LV2_STATE__interface));
    for (int block = 0; block < kMaxBlocks && !in.done(); ++block) {
        for (float& c : controls)
            if ((in.byte() & 3) == 0) c = in.anyFloat();
        if (in.byte() == 0) {
            std::string text(in.byte(), '\0');
            for (char& c : text)
                c = static_cast<char>(in.byte());
            if (in.byte() % 2 == 0) text = "ulvodraw-bank 1\ncurrent 3\nprogram 3 " + text;
            state->restore(plugin, retrieveText, &text, 0, nullptr);
        }
        const std::vector<std::uint8_t> bytes = sequence(in);
        // Exactly the sequence's bytes, so that a read past it is caught.
        std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[bytes.size()]);
        std::memcpy(exact.get(), bytes.data(), bytes.size());
        descriptor->connect_port(plugin, kMidiInPort, exact.get());
        const std::uint32_t frames = in.u16() % (kMaxFrames + 1);
        descriptor->run(plugin, frames);
        for (std::uint32_t i = 0; i < frames; ++i)
            fuzzCheck(std::isfinite(left[i]) && std::isfinite(right[i]), "finite samples");
    }
    descriptor->deactivate(plugin);
    descriptor->cleanup(plugin);
    return 0;
}
