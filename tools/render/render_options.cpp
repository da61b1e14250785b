#include "tools/render/render_options.h"

#include "tools/common/decimal_numbers.h"
#include "tools/common/option_with_value.h"
#include "tools/common/tool_error.h"
#include "tools/render/channel_choice.h"

namespace {

constexpr std::int32_t kMaxBlockSize = 1 << 20;
constexpr double kMaxTailSeconds = 3600.0;
constexpr double kMinGainDb = -60.0;
constexpr double kMaxGainDb = 24.0;

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
    bool gainGiven = false;
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
        if (arg == "--strict") {
            options.strict = true;
            continue;
        }
        if (arg == "--list-presets" || arg == "--list-params") {
            (arg == "--list-presets" ? options.listPresets : options.listParams) = true;
            continue;
        }
        // Every other option takes a value: "--name value" or "--name=value".
        const OptionWithValue option = splitOption(arg);
        const std::string& name = option.name;
        std::string value = option.value;
        const bool known = name == "--plugin" || name == "--rate" || name == "--block" ||
                           name == "--program" || name == "--preset" || name == "--param" ||
                           name == "--tail" || name == "--bit-depth" || name == "--runs" ||
                           name == "--gain" || name == "--channel" || name == "--tuning" ||
                           name == "--keymap";
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
        } else if (name == "--gain") {
            options.gainDb = parseReal(name, value, kMinGainDb, kMaxGainDb);
            gainGiven = true;
        } else if (name == "--channel") {
            options.channels = parseChannelList(value);
        } else {
            options.runs = static_cast<std::int32_t>(parseInteger(name, value, 1, 1000));
            runsGiven = true;
        }
    }
    if (options.help || options.version) return options;
    if (options.listPresets || options.listParams) {
        if (!positional.empty() || options.bench)
            throw ToolError("--list-presets and --list-params take no files and no --bench");
        return options;
    }
    const std::size_t wanted = options.bench ? 1 : 2;
    if (positional.size() != wanted)
        throw ToolError(options.bench ? "--bench takes one MIDI file and writes nothing"
                                      : "give one MIDI file and one output file (see --help)");
    if (options.plugins.size() > 1 && !options.bench)
        throw ToolError("--plugin may be given more than once only with --bench");
    if (runsGiven && !options.bench) throw ToolError("--runs goes only with --bench");
    if (gainGiven && options.bench) throw ToolError("--gain goes only with a render, not --bench");
    options.input = positional[0];
    if (!options.bench) {
        options.output = positional[1];
        checkOutputType(options.output, options.format);
    }
    return options;
}

const char* usageText() {
    return R"(usage: ulvo-render [options] INPUT.mid OUTPUT.wav|OUTPUT.flac
       ulvo-render --bench [options] INPUT.mid
       ulvo-render --list-presets|--list-params [--plugin PLUGIN] [--preset NAME]

Plays a Standard MIDI File (format 0 or 1) through a VST 2, CLAP or LV2 instrument and writes
what it hears.

  --plugin PLUGIN      instrument to load: a VST 2 library file, a CLAP file (NAME.clap, its
                       first plug-in), or an LV2 plug-in's URI (the first bundle that has it in LV2_PATH order, then beside this
                       tool, then in ../lib/lv2 from its folder) or bundle folder (default:
                       UlvoDraw, see --preset); with --bench it may be repeated to measure
                       several instruments side by side
  --rate HZ            sample rate (default 44100)
  --block N            block size in frames, 1 or more (default 512); renders at different
                       block sizes can differ, as the instrument applies some events (a pitch
                       bend, for one) from the start of the block in which they arrive
  --exact-events       start a new block at every event, so that each acts on its own frame
                       whatever --block says
  --program N          select the instrument's program N before playing (VST 2)
  --preset NAME        load the instrument's preset NAME before playing (LV2; UlvoDraw.clap
                       takes the factory presets' values). Without
                       --plugin, UlvoDraw's LV2 build with its factory presets: the bundle
                       beside this tool, else ../lib/lv2/ulvodraw.lv2 from its folder, else
                       one installed; failing those the VST 2 build given the preset's values
                       (a line says so). Without --preset, the VST 2 build: UlvoDraw.so beside
                       this tool, else ../lib/vst/UlvoDraw.so from its folder
  --param NAME=VALUE   set a parameter, VALUE in its range (0 to 1 in VST 2, the port's own in
                       LV2, the parameter's own in CLAP); NAME is its symbol (LV2, and the LV2
                       build's for UlvoDraw.clap), else its name as the instrument reports it, else either ignoring case, else its index from 0; may be repeated,
                       applied in order after --program or --preset
  --list-presets       list the instrument's presets by family (or its programs) and exit
  --list-params        list the instrument's parameters: index, symbol, name, range, default
  --channel LIST       play only these MIDI channels: 1 to 16, ranges such as 3-5, joined by
                       commas, or all (default: all but 10, the drums, when other channels
                       have notes too)
  --gain DB            scale the output by DB decibels, -60 to 24 (default 0)
  --tuning FILE.scl    play a Scala scale (LV2 UlvoDraw); without --keymap, note 60 is its
                       first degree and note 69 sounds at 440 Hz
  --keymap FILE.kbm    lay the scale (or twelve equal steps) on the keys by a Scala keyboard
                       mapping (LV2 UlvoDraw)
  --tail SECONDS       time rendered after the last event (default 2)
  --bit-depth 16|24|32f  sample format of the output file (default 24; FLAC holds 16 or 24)
  --strict             refuse a MIDI file with a damaged track (by default the track plays up
                       to the damage, and a warning names the track and the byte)
  --bench              render without writing; report CPU time per frame and per voice-sample
  --runs N             runs per instrument for --bench, of which the median counts (default 5)
  -h, --help           show this text
  --version            show the version

Numbers are plain decimals. A WAV file past 4 GiB is written as RF64. The output is written
under a temporary name and renamed when complete: an error or a stop (Ctrl-C, SIGTERM, SIGHUP,
SIGQUIT, SIGPIPE, a full disk) leaves no file behind and keeps an older file of that name.
Exit status: 0 done, 1 the render failed, 2 a mistake on the command line (an unknown option,
a bad value, or a preset, program or parameter the instrument does not have).
)";
}
