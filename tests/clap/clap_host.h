// The CLAP tests' plug-in: the UlvoDraw.clap the build made, loaded once through the host
// library and created in its CLAP host with every extension the tests look at (the editor's
// among them), each request the plug-in makes recorded; blocks run into two vectors.
#pragma once

#include <cstdint>
#include <vector>

#include "host/clap_event_list.h"
#include "host/clap_plugin.h"

// The module's entry, initialised; loaded once and kept, as hosts keep theirs.
const clap::PluginEntry* clapEntry();

class ClapHost : public ClapPlugin {
  public:
    // With `threadCheck`, the host answers that every thread is its main and audio thread.
    explicit ClapHost(bool threadCheck = true);

    bool loaded() const { return plugin != nullptr; }
    // Activates for blocks of up to 4096 frames and starts processing.
    bool activate(double rate = 44100.0);

    // Events for the next run.
    ClapEventList events;
    // Processes one block of `frames` frames with `events` (cleared after); `left` and `right`
    // get its samples, whatever they held before. The status the plug-in returned.
    std::int32_t run(std::uint32_t frames, std::vector<float>& left, std::vector<float>& right);

    // -12345 when the plug-in gives no value.
    double value(clap::Id id) const { return ClapPlugin::value(id, -12345.0); }
    void flush(const ClapEventList& list) { ClapPlugin::flush(list.input()); }
};
