// Which MIDI controllers move which of the instrument's controls in the player, so that the knobs
// and faders of a MIDI controller play it: by default the GM2 sound controllers and a block of
// six for the drawbars, or a map of the user's from a text file. A mapped controller's 0 to 127
// spans its control's own range (whole numbers and choices rounded), or runs the other way for a
// controller marked `invert`, as drawbar controllers that send 127 for a bar pushed in want. The
// map is the player's alone: plug-in hosts keep their own MIDI learn.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "synth/instrument.h"

struct ControllerAssignment {
    std::int32_t control = -1; // a control index; -1: the controller is not mapped
    bool inverted = false;
};

class ControllerMap {
  public:
    // Controllers 120 to 127 are channel mode messages, never controllers to map.
    static constexpr std::int32_t kMappableControllers = 120;

    // Maps nothing.
    ControllerMap() = default;

    // 71 resonance, 72 release, 73 attack, 74 cutoff, 75 decay, 76 vibrato_rate, 77
    // vibrato_depth, and 102 to 107 the drawbars from left to right as the editor has them.
    static ControllerMap defaults();
    // The map in `text`, one "CONTROLLER SYMBOL [invert]" a line, '#' starting a comment, blank
    // lines ignored; `source` names the text in errors. Throws ToolError "SOURCE:LINE: what is
    // wrong" for the first bad line.
    static ControllerMap parse(std::string_view text, const std::string& source);
    // The map in the file at `path`. Throws ToolError as parse does, or naming the file when it
    // cannot be read.
    static ControllerMap load(const std::string& path);

    const ControllerAssignment& operator[](std::uint8_t controller) const {
        return assignments[controller & 0x7F];
    }

    // [audio thread] One MIDI message: when it is a control change of a mapped controller, on any
    // channel, sets the controller's control and answers true, and the message is the map's alone.
    // No allocation, lock or wait.
    bool apply(const std::uint8_t* bytes, std::size_t size, Instrument& instrument) const;

  private:
    std::array<ControllerAssignment, 128> assignments{};
};

// The value controller position `position` (0 to 127) gives control `control`: evenly over the
// control's range, the other way when `inverted`, rounded for whole numbers and choices.
float controllerValue(std::int32_t control, std::uint8_t position, bool inverted);
