#include "tools/play/play_options.h"

#include "tools/common/decimal_numbers.h"
#include "tools/common/option_with_value.h"
#include "tools/common/tool_error.h"

PlayOptions parsePlayOptions(const std::vector<std::string>& args) {
    PlayOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            continue;
        }
        if (arg == "--version") {
            options.version = true;
            continue;
        }
        if (arg == "--list-presets") {
            options.listPresets = true;
            continue;
        }
        if (arg == "--no-gui" || arg == "--connect" || arg == "--no-connect") {
            if (arg == "--no-gui")
                options.gui = false;
            else
                options.connect = arg == "--connect";
            continue;
        }
        if (arg.size() < 2 || arg[0] != '-')
            throw ToolError("unexpected argument '" + arg + "' (see --help)");
        // Every other option takes a value: "--name value" or "--name=value".
        const OptionWithValue option = splitOption(arg);
        const std::string& name = option.name;
        std::string value = option.value;
        const bool known = name == "--name" || name == "--preset" || name == "--program" ||
                           name == "--param" || name == "--state" || name == "--scale" ||
                           name == "--cc-map" || name == "--tuning" || name == "--keymap";
        if (!known) throw ToolError("unknown option '" + name + "' (see --help)");
        if (!option.valueInline) {
            if (i + 1 == args.size()) throw ToolError(name + " needs a value");
            value = args[++i];
        }
        if (name == "--name") {
            if (value.empty()) throw ToolError("--name needs a client name");
            options.clientName = value;
        } else if (name == "--preset") {
            options.preset = value;
        } else if (name == "--program") {
            options.program = static_cast<std::int32_t>(parseInteger(name, value, 0, 31));
        } else if (name == "--param") {
            options.parameters.push_back(parseParameterSetting(value));
        } else if (name == "--state") {
            if (value.empty()) throw ToolError("--state needs a file name");
            options.stateFile = value;
        } else if (name == "--tuning" || name == "--keymap") {
            if (value.empty()) throw ToolError(name + " needs a file name");
            (name == "--tuning" ? options.tuning : options.keymap) = value;
        } else if (name == "--cc-map") {
            if (value.empty()) throw ToolError("--cc-map needs a file name");
            options.controllerMap = value;
        } else {
            options.scale = static_cast<std::int32_t>(parseInteger(name, value, 1, 3));
        }
    }
    return options;
}

const char* playUsageText() {
    return R"(usage: ulvo-play [options]

Plays UlvoDraw from a MIDI keyboard through JACK, with its editor in a window of its own.

  --no-gui             run without the editor window
  --name NAME          JACK client name (default ulvo-play)
  --connect            connect the outputs to the system playback ports and every hardware
                       MIDI output to the input (the default)
  --no-connect         leave every port unconnected
  --preset NAME        load a factory preset into the current program
  --list-presets       list the factory presets by family and exit
  --program N          select program N (0 to 31) first
  --param NAME=VALUE   set a parameter, VALUE in its range (0 to 1, volume -60 to 12 dB, ...);
                       NAME is its symbol (cutoff, drawbar_8, volume), else its name (CutOff,
                       8), else either ignoring case, else its index from 0; may be repeated,
                       applied in order after --program and --preset
  --state FILE         keep the state in FILE (default $XDG_CONFIG_HOME/ulvodraw/NAME.state,
                       NAME the client name; $XDG_CONFIG_HOME/ulvodraw/state for ulvo-play)
  --scale N            draw the editor at 1, 2 or 3 times its size (default: from the display)
  --cc-map FILE        take the MIDI controller map from FILE instead of the default below:
                       a line "CONTROLLER SYMBOL" maps a controller (0 to 119) to a parameter,
                       "CONTROLLER SYMBOL invert" the other way round; # starts a comment
  --tuning FILE.scl    play a Scala scale; without --keymap note 60 is its first degree and
                       note 69 sounds at 440 Hz
  --keymap FILE.kbm    lay the scale (or twelve equal steps) on the keys by a Scala keyboard
                       mapping
  --version            show the version
  -h, --help           show this text

MIDI controllers move parameters, each controller's 0 to 127 over the parameter's range. The
default map: 71 resonance, 72 release, 73 attack, 74 cutoff, 75 decay, 76 vibrato_rate,
77 vibrato_depth (the GM2 sound controllers); 102 drawbar_2, 103 drawbar_3, 104 drawbar_4,
105 drawbar_6, 106 drawbar_8, 107 drawbar_16 (the editor's drawbars from left to right). The
controllers a map names do nothing else; the mod wheel, volume, expression, sustain pedal and
channel mode messages are never in the default map.

MIDI Tuning Standard SysEx on the input retunes at once; dump requests are not answered.

The 32 programs, the current program, the sound and the tuning's files are saved on a clean exit (closing the window,
Ctrl+C, SIGTERM) and restored at the next start. Under a session manager (NSM_URL set) the
session's folder keeps them instead, saved when the session is saved.
)";
}
