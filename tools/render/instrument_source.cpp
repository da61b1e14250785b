#include "tools/render/instrument_source.h"

#include "host/clap_instance.h"
#include "host/clap_library.h"
#include "host/lv2_instance.h"
#include "host/vst2_instance.h"
#include "host/vst2_library.h"
#include "tools/render/factory_presets_on_vst2.h"
#include "tools/render/ulvodraw_on_clap.h"
#include "tools/render/ulvodraw_on_lv2.h"

InstrumentSource::InstrumentSource(const std::string& plugin) : label(plugin) {
    if (looksLikeClap(plugin))
        clap = std::make_unique<ClapLibrary>(plugin);
    else if (looksLikeLv2(plugin))
        lv2 = std::make_unique<Lv2Plugin>(plugin);
    else
        library = std::make_unique<Vst2Library>(plugin);
}

InstrumentSource::InstrumentSource(const DefaultInstrument& chosen)
    : InstrumentSource(chosen.plugin) {
    presetsOnVst2 = chosen.presetsOnVst2 && library != nullptr;
    defaultNotice = chosen.notice;
}

InstrumentSource::~InstrumentSource() = default;

std::string InstrumentSource::notice() const {
    if (!defaultNotice.empty()) return defaultNotice;
    return lv2 != nullptr ? lv2->choiceNote() : std::string();
}

std::unique_ptr<HostedInstrument> InstrumentSource::create(std::int32_t rate,
                                                           std::int32_t blockSize) const {
    if (lv2 != nullptr) {
        auto instance = std::make_unique<Lv2Instance>(*lv2, rate, blockSize);
        if (isUlvoDrawLv2(*lv2)) return std::make_unique<UlvoDrawOnLv2>(std::move(instance));
        return instance;
    }
    if (clap != nullptr) {
        auto instance = std::make_unique<HostedClapPlugin>(*clap, rate, blockSize);
        if (isUlvoDrawClap(*instance)) return std::make_unique<UlvoDrawOnClap>(std::move(instance));
        return instance;
    }
    auto vst2 = std::make_unique<Vst2Instance>(*library, rate, blockSize);
    if (presetsOnVst2) return std::make_unique<FactoryPresetsOnVst2>(std::move(vst2));
    return vst2;
}

std::vector<std::unique_ptr<InstrumentSource>> openInstruments(const RenderOptions& options) {
    std::vector<std::unique_ptr<InstrumentSource>> sources;
    if (options.plugins.empty())
        sources.push_back(std::make_unique<InstrumentSource>(
            defaultInstrument(options.preset.has_value() || options.listPresets)));
    for (const std::string& plugin : options.plugins)
        sources.push_back(std::make_unique<InstrumentSource>(plugin));
    return sources;
}
