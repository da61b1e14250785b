// An LV2 instrument hosted through lilv: found by URI or bundle folder, given URID mapping,
// options, bounded block lengths and a worker, its ports connected to buffers of its own, and
// driven block by block like the VST 2 instruments: MIDI in an atom sequence, then run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

#include "host/hosted_instrument.h"
#include "host/lv2_state.h"
#include "host/lv2_worker.h"

// Where the bundles of LV2 plug-ins are looked for: every folder searchLv2Bundles lists, or the
// one bundle named alone, for a host that must not meet what is installed.
enum class Lv2Search { Everywhere, BundleAlone };

// The world in which LV2 plug-ins are looked up, and one plug-in of it.
class Lv2Plugin {
  public:
    // `uriOrBundle`: a plug-in URI, taken from the first bundle that declares it in the order of
    // searchLv2Bundles (lv2_bundle_search.h); or the folder of a bundle, whose
    // plug-in is taken whatever else declares the same URI. Throws ToolError when it names no
    // plug-in.
    explicit Lv2Plugin(const std::string& uriOrBundle, Lv2Search search = Lv2Search::Everywhere);
    Lv2Plugin(const Lv2Plugin&) = delete;
    Lv2Plugin& operator=(const Lv2Plugin&) = delete;

    LilvWorld* world() const { return lilvWorld.get(); }
    const LilvPlugin* plugin() const { return lilvPlugin; }
    const std::string& name() const { return uri; }
    // Which bundle was taken when several declare the URI given; empty otherwise.
    const std::string& choiceNote() const { return choice; }

  private:
    struct WorldDeleter {
        void operator()(LilvWorld* world) const { lilv_world_free(world); }
    };
    std::unique_ptr<LilvWorld, WorldDeleter> lilvWorld;
    const LilvPlugin* lilvPlugin = nullptr;
    std::string uri;
    std::string choice;
};

// True when `text` names an LV2 plug-in rather than a VST 2 library: a URI, or a folder.
bool looksLikeLv2(const std::string& text);

class Lv2Instance : public HostedInstrument {
  public:
    // Instantiates at `rate`, with blocks of at most `maxBlock` frames. Throws ToolError when
    // the plug-in needs a feature or a port kind this host does not offer.
    Lv2Instance(const Lv2Plugin& plugin, std::int32_t rate, std::int32_t maxBlock);
    ~Lv2Instance() override;

    std::int32_t inputCount() const override;
    std::int32_t outputCount() const override;
    // The control inputs, in port order, as their ports declare them.
    std::vector<ParameterInfo> parameters() const override { return controls; }
    void setParameter(std::int32_t index, float value) override;
    float parameter(std::int32_t index) const override;
    // LV2 plug-ins have presets, not programs: always throws UsageError.
    void selectProgram(std::int32_t program) override;
    // By label, each under its bank's label, sorted by bank and label.
    std::vector<ListedPreset> presets() const override;
    void selectPreset(const std::string& label) override;
    // Before switching on: sets the plug-in's property `property` to the file at `path` with
    // patch:Set, as a host's file chooser does, in a block of no frames at switch-on whose
    // worker runs before the first block. Throws UsageError, naming `what`, when the plug-in
    // declares no such writable property.
    void setPathProperty(const char* property, const std::string& path, const std::string& what);
    void switchOn() override;
    void switchOff() override;
    void sendEvents(std::span<const BlockMessage> messages) override;
    void render(float** inputs, float** outputs, std::int32_t frames) override;

    // Sets the control input of `symbol` (preset restore); unknown symbols are ignored.
    void setControlBySymbol(const std::string& symbol, float value);

    // For hosts that drive the plug-in closely (the tests):
    LV2_URID map(const char* uri);
    // The URI of `urid`; "" for one never mapped.
    const char* unmap(LV2_URID urid) const;
    // Leaves the control input `index` unconnected (null) from the next block on, or connects
    // it again.
    void connectControl(std::int32_t index, bool connected);
    // The next block's MIDI input is `sequence` itself, whatever it holds, in place of the
    // events sent; it must outlive that block.
    void sendSequence(std::vector<std::uint64_t>& sequence);
    // patch:Set of `property` to `path` (an atom:Path), as an atom:Object's body.
    std::vector<std::uint8_t> patchSet(const char* property, const std::string& path);
    // Queues the atom:Object of `body` for the next block of no frames (switchOn, runObjects).
    void sendObject(std::vector<std::uint8_t> body);
    // [switched on] Runs a block of no frames carrying the queued objects, then the work they
    // scheduled.
    void runObjects();
    // Every event the plug-in wrote to its atom outputs in the last block: each atom whole,
    // header and body.
    std::vector<std::vector<std::uint8_t>> outputAtoms() const;
    // The plug-in's own state through its state interface: each key's value and type. Empty
    // for a plug-in without one.
    using State = Lv2State;
    State saveState();
    // False for a plug-in without a state interface.
    bool restoreState(const State& state);

  private:
    struct Features;
    struct PresetEntry {
        std::string uri;
        ListedPreset listed;
    };
    void connectScratch();
    // Every preset of the plug-in, sorted as presets() lists them.
    std::vector<PresetEntry> presetEntries() const;
    // Appends one event to the MIDI port's sequence of `used` bytes so far, growing the buffer.
    void appendEvent(std::uint32_t& used, std::int64_t offset, std::uint32_t type,
                     const std::uint8_t* body, std::uint32_t size);

    const Lv2Plugin& source;
    std::unique_ptr<Lv2Worker> worker;
    std::unique_ptr<Features> features;
    LilvInstance* instance = nullptr;
    std::int32_t maxBlock;
    bool on = false;
    std::vector<ParameterInfo> controls;     // control inputs, in port order
    std::vector<std::uint32_t> controlPorts; // by control
    std::vector<float> controlValues;        // by control, as the instrument sees them
    std::vector<float> portValues;           // every control port, inputs and outputs
    std::vector<std::uint32_t> audioIns, audioOuts;
    std::vector<std::uint32_t> atomIns, atomOuts, cvPorts;
    std::int64_t midiPort = -1; // the atom input that takes MIDI
    // Mapped once, as a host does, rather than on every block.
    std::uint32_t midiEventType = 0, sequenceType = 0, chunkType = 0;
    std::vector<float*> connectedOutputs;                // what each audio output is connected to
    std::vector<std::uint64_t> midiBuffer;               // 8-byte aligned atom sequence
    std::vector<std::vector<std::uint64_t>> atomBuffers; // other atom ports
    std::vector<std::vector<float>> scratch;             // audio inputs and CV ports
    std::vector<std::vector<std::uint8_t>> objects;      // sent in a run of 0 frames
    std::vector<std::uint64_t>* rawSequence = nullptr;   // the next block's MIDI input, as given
};
