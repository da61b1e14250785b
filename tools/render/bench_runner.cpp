#include "tools/render/bench_runner.h"

#include <algorithm>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "tools/render/block_events.h"
#include "tools/render/escaped_text.h"
#include "tools/render/instrument_setup.h"
#include "tools/render/instrument_source.h"
#include "tools/render/render_loop.h"
#include "tools/render/voice_count.h"

namespace {

// CPU time of the whole process, so that an instrument's own threads count too.
double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// Only the block loop is timed: creating, setting up and closing the instrument are not.
double timedRun(const InstrumentSource& source, const RenderOptions& options, BlockEvents& events,
                std::int64_t totalFrames, const std::atomic<bool>* stop) {
    const std::unique_ptr<HostedInstrument> created =
        source.create(options.rate, options.blockSize);
    HostedInstrument& instrument = *created;
    applySettings(instrument, options);
    instrument.switchOn();
    events.rewind();
    RenderRun run;
    run.totalFrames = totalFrames;
    run.blockSize = options.blockSize;
    run.exactEvents = options.exactEvents;
    run.stop = stop;
    const double start = processCpuSeconds();
    renderBlocks(instrument, events, run);
    return processCpuSeconds() - start;
}

} // namespace

bool runBench(const RenderOptions& options, const MidiTimeline& timeline, std::FILE* out,
              const std::atomic<bool>* stop) {
    const std::vector<std::unique_ptr<InstrumentSource>> libraries = openInstruments(options);
    for (const auto& library : libraries) {
        const std::string notice = library->notice();
        if (!notice.empty())
            std::fprintf(stderr, "ulvo-render: %s\n", escapeControls(notice).c_str());
    }
    const std::int64_t totalFrames = renderLength(timeline.lastEventFrame, options);
    const std::int64_t voiceFrames = countVoiceFrames(timeline.messages, totalFrames);
    BlockEvents events(timeline.messages);

    std::vector<std::vector<double>> seconds(libraries.size());
    for (std::int32_t r = 0; r < options.runs; ++r)
        for (std::size_t p = 0; p < libraries.size(); ++p)
            seconds[p].push_back(timedRun(*libraries[p], options, events, totalFrames, stop));
    if (stop != nullptr && stop->load()) return false;

    const double audioSeconds = static_cast<double>(totalFrames) / options.rate;
    std::fprintf(out,
                 "bench: %.2f s of audio at %d Hz in blocks of %d, %.2f voices on average, "
                 "median of %d runs\n",
                 audioSeconds, options.rate, options.blockSize,
                 totalFrames > 0 ? static_cast<double>(voiceFrames) / totalFrames : 0.0,
                 options.runs);
    std::vector<double> perVoice;
    for (std::size_t p = 0; p < libraries.size(); ++p) {
        const double cpu = median(seconds[p]);
        const double perFrame = totalFrames > 0 ? cpu * 1e9 / totalFrames : 0.0;
        perVoice.push_back(voiceFrames > 0 ? cpu * 1e9 / voiceFrames : 0.0);
        char perVoiceText[80] = "no cost per voice-sample (the piece has no notes)";
        if (voiceFrames > 0)
            std::snprintf(perVoiceText, sizeof perVoiceText, "%.3f ns per voice-sample",
                          perVoice[p]);
        std::fprintf(out, "%s: %.2f ns per frame, %s, %.4f s CPU, %.0fx real time\n",
                     libraries[p]->name().c_str(), perFrame, perVoiceText, cpu,
                     cpu > 0.0 ? audioSeconds / cpu : 0.0);
    }
    for (std::size_t p = 1; p < libraries.size(); ++p)
        if (perVoice[0] > 0.0)
            std::fprintf(out, "%s / %s per voice-sample: %.2f\n", libraries[p]->name().c_str(),
                         libraries[0]->name().c_str(), perVoice[p] / perVoice[0]);
    return true;
}
