// Where the instrument of a render comes from, as --plugin names it: a VST 2 library file, a CLAP
// file (NAME.clap), or an LV2 plug-in by URI or bundle folder; without --plugin, UlvoDraw
// (default_instrument.h). Opened once; an instrument is created from it per run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <vector>

#include "host/hosted_instrument.h"
#include "tools/render/default_instrument.h"
#include "tools/render/render_options.h"

class ClapLibrary;
class Lv2Plugin;
class Vst2Library;

class InstrumentSource {
  public:
    // Throws ToolError when `plugin` names nothing that can be loaded.
    explicit InstrumentSource(const std::string& plugin);
    // UlvoDraw as defaultInstrument chose it.
    explicit InstrumentSource(const DefaultInstrument& chosen);
    ~InstrumentSource();
    InstrumentSource(const InstrumentSource&) = delete;
    InstrumentSource& operator=(const InstrumentSource&) = delete;

    std::unique_ptr<HostedInstrument> create(std::int32_t rate, std::int32_t blockSize) const;
    const std::string& name() const { return label; }
    // A line for the user about how the instrument was found; empty when there is nothing to say.
    std::string notice() const;

  private:
    std::string label;
    std::unique_ptr<Vst2Library> library;
    std::unique_ptr<Lv2Plugin> lv2;
    std::unique_ptr<ClapLibrary> clap;
    bool presetsOnVst2 = false;
    std::string defaultNotice;
};

// The instruments the options name: one for each --plugin, or UlvoDraw as defaultInstrument
// chooses it, the LV2 build when presets are asked for (--preset, --list-presets). Throws
// ToolError.
std::vector<std::unique_ptr<InstrumentSource>> openInstruments(const RenderOptions& options);
