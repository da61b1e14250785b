// A minimal LV2 host for tests, on lilv: loads the bundle that the build made, instantiates the
// plug-in with URID mapping, and runs blocks with control values and MIDI at chosen frames.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <lilv/lilv.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include "synth/parameters.h"
#include "host/lv2_worker.h"

struct Lv2Midi {
    std::int64_t frame;
    std::vector<std::uint8_t> bytes;
};

class Lv2Host {
  public:
    explicit Lv2Host(double rate = 44100.0);
    ~Lv2Host();
    Lv2Host(const Lv2Host&) = delete;
    Lv2Host& operator=(const Lv2Host&) = delete;

    bool loaded() const { return instance != nullptr; }
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

    // The plug-in's own state, through its state interface: every key's value and type.
    using State = std::map<LV2_URID, std::pair<std::string, LV2_URID>>;
    State saveState();
    void restoreState(const State& state);
    // The bank alone, as text.
    std::string saveBank();
    void restoreBank(const std::string& text, LV2_URID type = 0);

    LV2_URID map(const char* uri);
    std::string bundleUri;
    // The plug-in as lilv read it from the bundle's description.
    LilvWorld* lilvWorld() const { return world; }
    const LilvPlugin* lilvPlugin() const { return plugin; }
    // The file of the plug-in's UI `uiUri` as the bundle declares it; empty when there is none.
    std::string uiBinaryPath(const char* uiUri) const;

  private:
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri);
    std::vector<std::string> uris;
    LV2_URID_Map uridMap{this, mapUri};
    LV2_Feature mapFeature{LV2_URID__map, &uridMap};
    Lv2Worker worker;
    LilvWorld* world = nullptr;
    const LilvPlugin* plugin = nullptr;
    LilvInstance* instance = nullptr;
    void readNotify();
    std::vector<std::uint64_t> sequence; // 8-byte aligned atom buffer
    std::vector<std::uint64_t> notify;
};
