#include "tools/render/instrument_source.h"

#include "tools/render/hosts/lv2_instance.h"
#include "tools/render/hosts/vst2_instance.h"
#include "tools/render/hosts/vst2_library.h"

InstrumentSource::InstrumentSource(const std::string& plugin) : label(plugin) {
    if (looksLikeLv2(plugin))
        lv2 = std::make_unique<Lv2Plugin>(plugin);
    else
        library = std::make_unique<Vst2Library>(plugin);
}

InstrumentSource::~InstrumentSource() = default;

std::string InstrumentSource::notice() const {
    return lv2 != nullptr ? lv2->choiceNote() : std::string();
}

std::unique_ptr<HostedInstrument> InstrumentSource::create(std::int32_t rate,
                                                           std::int32_t blockSize) const {
    if (lv2 != nullptr) return std::make_unique<Lv2Instance>(*lv2, rate, blockSize);
    return std::make_unique<Vst2Instance>(*library, rate, blockSize);
}
