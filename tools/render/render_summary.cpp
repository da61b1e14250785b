#include "tools/render/render_summary.h"

#include <cmath>
#include <cstdio>

namespace {

std::string levels(const LevelMeter& meter, std::int32_t channels, bool peak) {
    std::string text;
    for (std::int32_t c = 0; c < channels; ++c) {
        const double db = peak ? meter.peakDb(c) : meter.rmsDb(c);
        char number[32];
        if (std::isinf(db))
            std::snprintf(number, sizeof number, "-inf");
        else
            std::snprintf(number, sizeof number, "%.1f", db);
        if (c > 0) text += ' ';
        text += number;
    }
    return text + " dBFS";
}

} // namespace

std::string summaryLine(const RenderFacts& facts, const LevelMeter& meter) {
    const double audioSeconds = static_cast<double>(facts.frames) / facts.rate;
    const std::string peak = levels(meter, facts.channels, true);
    const std::string rms = levels(meter, facts.channels, false);
    char line[512];
    std::snprintf(line, sizeof line,
                  ": %.2f s, %d ch, %d Hz, %s | peak %s | RMS %s | %.0fx real time", audioSeconds,
                  facts.channels, facts.rate, sampleFormatName(facts.format), peak.c_str(),
                  rms.c_str(), facts.wallSeconds > 0.0 ? audioSeconds / facts.wallSeconds : 0.0);
    return facts.path + line;
}

std::string clipWarning(const LevelMeter& meter, SampleFormat format, double gainDb,
                        const std::string& path) {
    if (format == SampleFormat::Float32 || meter.clippedSamples() == 0) return "";
    // Whole decibels, enough to take the peak below full scale.
    const double gain = gainDb - std::floor(meter.loudestPeakDb() + 1.0);
    char text[256];
    std::snprintf(text, sizeof text,
                  "warning: %lld samples clipped (peak %+.1f dBFS); render with --gain %g%s",
                  static_cast<long long>(meter.clippedSamples()), meter.loudestPeakDb(), gain,
                  holdsFloat(path) ? ", or keep every sample with --bit-depth 32f" : "");
    return text;
}
