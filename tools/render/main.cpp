// ulvo-render: plays a Standard MIDI File through a VST 2 or LV2 instrument into a WAV or FLAC
// file, the way a host bounces a track; or, with --bench, measures what the instrument costs.
#include <chrono>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "tools/common/stop_signals.h"
#include "tools/common/tool_error.h"
#include "tools/render/audio_file_writer.h"
#include "tools/render/bench_runner.h"
#include "tools/render/block_events.h"
#include "tools/render/escaped_text.h"
#include "tools/render/instrument_listing.h"
#include "tools/render/instrument_setup.h"
#include "tools/render/instrument_source.h"
#include "tools/render/level_meter.h"
#include "tools/render/output_checks.h"
#include "tools/render/output_gain.h"
#include "tools/render/piece.h"
#include "tools/render/progress_bar.h"
#include "tools/render/render_loop.h"
#include "tools/render/render_options.h"
#include "tools/render/render_summary.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void tell(const std::string& line) {
    std::fprintf(stderr, "ulvo-render: %s\n", escapeControls(line).c_str());
}

// The instrument the options choose, its notice told.
std::unique_ptr<InstrumentSource> openInstrument(const RenderOptions& options) {
    std::vector<std::unique_ptr<InstrumentSource>> sources = openInstruments(options);
    if (!sources[0]->notice().empty()) tell(sources[0]->notice());
    return std::move(sources[0]);
}

int list(const RenderOptions& options) {
    const std::unique_ptr<InstrumentSource> source = openInstrument(options);
    const std::unique_ptr<HostedInstrument> instrument =
        source->create(options.rate, options.blockSize);
    if (options.listPresets) std::fputs(presetsText(instrument->presets()).c_str(), stdout);
    if (options.listPresets && options.listParams) std::fputs("\n", stdout);
    if (options.listParams) std::fputs(parameterListText(instrument->parameters()).c_str(), stdout);
    return 0;
}

int render(const RenderOptions& options, const MidiTimeline& timeline) {
    const std::int64_t totalFrames = renderLength(timeline.lastEventFrame, options);
    const std::unique_ptr<InstrumentSource> source = openInstrument(options);
    const std::unique_ptr<HostedInstrument> created =
        source->create(options.rate, options.blockSize);
    HostedInstrument& instrument = *created;
    applySettings(instrument, options);
    const std::int32_t channels = instrument.outputCount();
    AudioFileWriter writer(options.output, channels, options.rate, options.format, totalFrames);

    BlockEvents events(timeline.messages);
    LevelMeter meter(channels);
    OutputGain gain(options.gainDb, channels, options.blockSize);
    ProgressBar progress(totalFrames, options.rate, STDERR_FILENO);
    RenderRun run;
    run.totalFrames = totalFrames;
    run.blockSize = options.blockSize;
    run.exactEvents = options.exactEvents;
    run.sink = [&](const float* const* buffers, std::int32_t frames) {
        const float* const* scaled = gain.apply(buffers, frames);
        meter.add(scaled, frames);
        writer.write(scaled, frames);
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

    const std::string warning = clipWarning(meter, options.format, options.gainDb, options.output);
    if (!warning.empty()) tell(warning);
    const RenderFacts facts{options.output, totalFrames,    options.rate,
                            channels,       options.format, wallSeconds};
    std::printf("%s\n", summaryLine(facts, meter).c_str());
    return 0;
}

int run(const RenderOptions& options) {
    if (options.listPresets || options.listParams) return list(options);
    if (!options.bench) {
        refuseOutputOverInput(options.input, options.output);
        refuseProtectedOutput(options.output);
    }
    const Piece piece = loadPiece(options);
    for (const std::string& notice : piece.notices)
        tell(notice);
    if (!options.bench) return render(options, piece.timeline);
    if (!runBench(options, piece.timeline, stdout, &stopRequested()))
        throw ToolError(interruptionText() + "; nothing measured");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    RenderOptions options;
    try {
        options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const ToolError& e) {
        tell(e.what());
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
    installStopSignals();
    int status = kExitFailure;
    try {
        status = run(options);
    } catch (const UsageError& e) {
        tell(e.what());
        status = kExitUsage;
    } catch (const std::exception& e) {
        tell(e.what());
    }
    // Everything is cleaned up by now; the signal may end the program as it would have.
    if (caughtSignal() != 0) dieOfCaughtSignal();
    return status;
}
