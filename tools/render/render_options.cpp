#include "tools/render/render_options.h"

#include "tools/common/decimal_numbers.h"
#include "tools/common/option_with_value.h"
#include "tools/common/tool_error.h"

namespace {

constexpr std::int32_t kMaxBlockSize = 1 << 20;
constexpr double kMaxTailSeconds = 3600.0;

SampleFormat parseBitDepth(const std::string& text) {
    if (text == "16") return SampleFormat::Int16;
    if (text == "24") return SampleFormat::Int24;
    if (text == "32f") return SampleFormat::Float32;
    throw ToolError("--bit-depth takes 16, 24 or 32f, not '" + text + "'");
}

} // namespace

RenderOptions parseOptions(const std::vector<std::string>& args) {
    RenderOptions options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    bool runsGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            continue;
        }
        if (arg == "--version") {
            options.version = true;
            continue;
        }
        if (arg == "--bench") {
            options.bench = true;
            continue;
        }
        if (arg == "--exact-events") {
            options.exactEvents = true;
            continue;
        }
        // Every other option takes a value: "--name value" or "--name=value".
        const OptionWithValue option = splitOption(arg);
        const std::string& name = option.name;
        std::string value = option.value;
        const bool known = name == "--plugin" || name == "--rate" || name == "--block" ||
                           name == "--program" || name == "--preset" || name == "--param" ||
                           name == "--tail" || name == "--bit-depth" || name == "--runs" ||
                           name == "--tuning" || name == "--keymap";
        if (!known) throw ToolError("unknown option '" + name + "' (see --help)");
        if (!option.valueInline) {
            if (i + 1 == args.size()) throw ToolError(name + " needs a value");
            value = args[++i];
        }
        if (name == "--plugin") {
            if (value.empty()) throw ToolError("--plugin needs a path");
            options.plugins.push_back(value);
        } else if (name == "--rate") {
            options.rate = static_cast<std::int32_t>(parseInteger(name, value, 1000, 768000));
        } else if (name == "--block") {
            options.blockSize =
                static_cast<std::int32_t>(parseInteger(name, value, 1, kMaxBlockSize));
        } else if (name == "--program") {
            options.program = static_cast<std::int32_t>(parseInteger(name, value, 0, 1 << 20));
        } else if (name == "--preset") {
            if (value.empty()) throw ToolError("--preset needs a label");
            options.preset = value;
        } else if (name == "--param") {
            options.parameters.push_back(parseParameterSetting(value));
        } else if (name == "--tuning" || name == "--keymap") {
            if (value.empty()) throw ToolError(name + " needs a file");
            (name == "--tuning" ? options.tuning : options.keymap) = value;
        } else if (name == "--tail") {
            options.tailSeconds = parseReal(name, value, 0.0, kMaxTailSeconds);
        } else if (name == "--bit-depth") {
            options.format = parseBitDepth(value);
        } else {
            options.runs = static_cast<std::int32_t>(parseInteger(name, value, 1, 1000));
            runsGiven = true;
        }
    }
    if (options.help || options.version) return options;
    const std::size_t wanted = options.bench ? 1 : 2;
    if (positional.size() != wanted)
        throw ToolError(options.bench ? "--bench takes one MIDI file and writes nothing"
                                      : "give one MIDI file and one output file (see --help)");
    if (options.plugins.size() > 1 && !options.bench)
        throw ToolError("--plugin may be given more than once only with --bench");
    if (runsGiven && !options.bench) throw ToolError("--runs goes only with --bench");
    options.input = positional[0];
    if (!options.bench) options.output = positional[1];
    return options;
}

const char* usageText() {
    return R"(usage: ulvo-render [options] INPUT.mid OUTPUT.wav|OUTPUT.flac
       ulvo-render --bench [options] INPUT.mid

Plays a Standard MIDI File (format 0 or 1) through a VST 2 or LV2 instrument and writes what it
hears.

  --plugin PLUGIN      instrument to load: a VST 2 library file, or an LV2 plug-in's URI
                       (the first bundle that has it in LV2_PATH order, then beside this
                       tool) or bundle folder (default: UlvoDraw.so beside this tool, else
                       ../lib/vst/UlvoDraw.so from its folder, as installed); with --bench it
                       may be repeated to measure several instruments side by side
  --rate HZ            sample rate (default 44100)
  --block N            block size in frames, 1 or more (default 512); renders at different
                       block sizes can differ, as the instrument applies some events (a pitch
                       bend, for one) from the start of the block in which they arrive
  --exact-events       start a new block at every event, so that each acts on its own frame
                       whatever --block says
  --program N          select the instrument's program N before playing (VST 2)
  --preset LABEL       load the instrument's preset LABEL before playing (LV2)
  --param NAME=VALUE   set a parameter, VALUE in its range (0 to 1 in VST 2, the port's own in
                       LV2); NAME is its symbol (LV2), else its name as the instrument reports
                       it, else either ignoring case, else its index from 0; may be repeated,
                       applied in order after --program or --preset
  --tuning FILE.scl    play a Scala scale (LV2 UlvoDraw); without --keymap, note 60 is its
                       first degree and note 69 sounds at 440 Hz
  --keymap FILE.kbm    lay the scale (or twelve equal steps) on the keys by a Scala keyboard
                       mapping (LV2 UlvoDraw)
  --tail SECONDS       time rendered after the last event (default 2)
  --bit-depth 16|24|32f  sample format of the output file (default 24)
  --bench              render without writing; report CPU time per frame and per voice-sample
  --runs N             runs per instrument for --bench, of which the median counts (default 5)
  -h, --help           show this text
  --version            show the version

Numbers are plain decimals. A WAV file past 4 GiB is written as RF64. The output is written
under a temporary name and renamed when complete: an error or a stop (Ctrl-C, SIGTERM, SIGHUP,
SIGQUIT, SIGPIPE, a full disk) leaves no file behind and keeps an older file of that name.
)";
}
