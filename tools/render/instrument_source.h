// Where the instrument of a render comes from, as --plugin names it: a VST 2 library file, or an
// LV2 plug-in by URI or bundle folder. Opened once; an instrument is created from it per run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "tools/render/hosted_instrument.h"

class Lv2Plugin;
class Vst2Library;

class InstrumentSource {
  public:
    // Throws ToolError when `plugin` names nothing that can be loaded.
    explicit InstrumentSource(const std::string& plugin);
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
};
