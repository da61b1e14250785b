// The LV2 tests' plug-in: the bundle the build made, alone, in the host library's LV2 host,
// switched on; control values by control index, MIDI at chosen frames, raw sequences and
// objects on its input, what it tells on its notify port, and its state.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/lv2_instance.h"
#include "synth/parameters.h"

struct Lv2Midi {
    std::int64_t frame;
    std::vector<std::uint8_t> bytes;
};

class Lv2Host {
  public:
    explicit Lv2Host(double rate = 44100.0);

    bool loaded() const { return true; } // the library throws for a plug-in it cannot load
    // Control port values by control index; start at the ports' defaults.
    std::array<float, kControlCount> controls = kParameterDefaults;
    // Control ports left unconnected (connected to nothing) on the next runs.
    std::array<bool, kControlCount> unconnected{};
    // Runs one block; `left` and `right` get its samples.
    void run(std::uint32_t frames, const std::vector<Lv2Midi>& midi, std::vector<float>& left,
             std::vector<float>& right);
    // Runs a block of no frames whose input holds a patch:Set of `property` to `path` (an
    // atom:Path), then the work it scheduled, as a host's file chooser does.
    void setPath(const char* property, const std::string& path);
    // Runs a block of no frames whose input holds a patch:Get, as the UI asks for the names.
    void askNames();
    // The plug-in's patch:Set messages on its notify port, gathered over the runs: each
    // property's URI and the text of its last value; `toldCount` counts the messages.
    std::map<std::string, std::string> told;
    int toldCount = 0;
    // Every atom the notify port carried, whole, as a host passes them to the UI.
    std::vector<std::vector<std::uint8_t>> notifications;
    // Runs a block of no frames whose input holds the object `body`, then the work it scheduled.
    void runObject(const std::vector<std::uint8_t>& body);
    // Runs one block whose MIDI buffer is exactly `sequence` (a raw atom sequence, any content);
    // then the work the block scheduled.
    void runRaw(std::uint32_t frames, std::vector<std::uint64_t>& sequence,
                std::vector<float>& left, std::vector<float>& right);

    using State = Lv2Instance::State;
    State saveState() { return instance.saveState(); }
    void restoreState(const State& state) { instance.restoreState(state); }
    // The bank alone, as text.
    std::string saveBank();
    void restoreBank(const std::string& text, LV2_URID type = 0);

    LV2_URID map(const char* uri) { return instance.map(uri); }
    std::string bundleUri;
    // The plug-in as lilv read it from the bundle's description.
    LilvWorld* lilvWorld() const { return plugin.world(); }
    const LilvPlugin* lilvPlugin() const { return plugin.plugin(); }
    // The file of the plug-in's UI `uiUri` as the bundle declares it; empty when there is none.
    std::string uiBinaryPath(const char* uiUri) const;

  private:
    // Hands the controls over, runs the block and reads the notify port.
    void runBlock(std::uint32_t frames, std::vector<float>& left, std::vector<float>& right);
    void readNotify();

    Lv2Plugin plugin;
    Lv2Instance instance;
};
