// ulvo-render: plays a Standard MIDI File through a VST 2 or LV2 instrument into a WAV or FLAC
// file, the way a host bounces a track; or, with --bench, measures what the instrument costs.
#include <chrono>
#include <cstdio>
#include <limits.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "tools/common/stop_signals.h"
#include "tools/common/tool_error.h"
#include "tools/render/audio_file_writer.h"
#include "tools/render/bench_runner.h"
#include "tools/render/block_events.h"
#include "tools/render/escaped_text.h"
#include "tools/render/instrument_setup.h"
#include "tools/render/instrument_source.h"
#include "tools/render/level_meter.h"
#include "tools/render/midi_timeline.h"
#include "tools/render/output_checks.h"
#include "tools/render/progress_bar.h"
#include "tools/render/render_loop.h"
#include "tools/render/render_options.h"
#include "tools/render/render_summary.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// UlvoDraw.so in the folder of this executable, as in the build tree; else where an install puts
// it, lib/vst beside bin/.
std::string defaultPlugin() {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "UlvoDraw.so";
    const std::string path(self, static_cast<std::size_t>(n));
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    const std::string beside = folder + "UlvoDraw.so";
    const std::string installed = folder + "../lib/vst/UlvoDraw.so";
    return access(beside.c_str(), F_OK) != 0 && access(installed.c_str(), F_OK) == 0 ? installed
                                                                                     : beside;
}

int render(const RenderOptions& options, const MidiTimeline& timeline) {
    const std::int64_t totalFrames = renderLength(timeline.lastEventFrame, options);
    const InstrumentSource source(options.plugins[0]);
    if (!source.notice().empty())
        std::fprintf(stderr, "ulvo-render: %s\n", escapeControls(source.notice()).c_str());
    const std::unique_ptr<HostedInstrument> created =
        source.create(options.rate, options.blockSize);
    HostedInstrument& instrument = *created;
    applySettings(instrument, options);
    const std::int32_t channels = instrument.outputCount();
    AudioFileWriter writer(options.output, channels, options.rate, options.format, totalFrames);

    BlockEvents events(timeline.messages);
    LevelMeter meter(channels);
    ProgressBar progress(totalFrames, options.rate, STDERR_FILENO);
    RenderRun run;
    run.totalFrames = totalFrames;
    run.blockSize = options.blockSize;
    run.exactEvents = options.exactEvents;
    run.sink = [&](const float* const* buffers, std::int32_t frames) {
        meter.add(buffers, frames);
        writer.write(buffers, frames);
    };
    run.progress = [&](std::int64_t done) { progress.update(done); };
    run.stop = &stopRequested();

    const auto started = std::chrono::steady_clock::now();
    instrument.switchOn();
    const bool finished = renderBlocks(instrument, events, run);
    instrument.switchOff();
    progress.finish();
    if (!finished || !writer.commit(&stopRequested()))
        throw ToolError(interruptionText() + "; no file written");
    const double wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const std::string warning = clipWarning(meter, options.format);
    if (!warning.empty()) std::fprintf(stderr, "ulvo-render: %s\n", warning.c_str());
    const RenderFacts facts{options.output, totalFrames,    options.rate,
                            channels,       options.format, wallSeconds};
    std::printf("%s\n", summaryLine(facts, meter).c_str());
    return 0;
}

int run(const RenderOptions& options) {
    if (!options.bench) {
        refuseOutputOverInput(options.input, options.output);
        refuseProtectedOutput(options.output);
    }
    const MidiTimeline timeline = loadTimeline(options.input, options.rate);
    if (!options.bench) return render(options, timeline);
    if (!runBench(options, timeline, stdout, &stopRequested()))
        throw ToolError(interruptionText() + "; nothing measured");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    RenderOptions options;
    try {
        options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const ToolError& e) {
        std::fprintf(stderr, "ulvo-render: %s\n", escapeControls(e.what()).c_str());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("ulvo-render %s\n", ULVO_VERSION);
        return 0;
    }
    if (options.plugins.empty()) options.plugins.push_back(defaultPlugin());
    installStopSignals();
    int status = kExitFailure;
    try {
        status = run(options);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "ulvo-render: %s\n", escapeControls(e.what()).c_str());
        status = kExitUsage;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ulvo-render: %s\n", escapeControls(e.what()).c_str());
    }
    // Everything is cleaned up by now; the signal may end the program as it would have.
    if (caughtSignal() != 0) dieOfCaughtSignal();
    return status;
}
