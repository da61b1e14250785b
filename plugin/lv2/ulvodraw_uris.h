// The names this plug-in goes by in LV2: its URI, its ports' indices, and the keys of its state.
// The DSP module and the generated description both take them from here.
#pragma once

#include <cstdint>

#include "synth/identity.h"
#include "synth/parameters.h"

#define ULVODRAW_URI ULVODRAW_LV2_URI

inline constexpr const char* kPluginUri = ULVODRAW_URI;
// The 32 programs with their names and the current program, as plain text (synth/bank_text.h).
inline constexpr const char* kStateBankUri = ULVODRAW_URI "#bank";
// The playing controls whose ports still hold the defaults that a session older than them left
// there, which the programs do not follow (space-separated symbols); absent when there are none.
inline constexpr const char* kStateUnmovedUri = ULVODRAW_URI "#unmovedPorts";
// The tuning: kScaleUri and kKeymapUri (synth/identity.h), properties a host sets to a file's path.
// The scale's own one-line description, which the plug-in tells beside the two paths.
inline constexpr const char* kScaleDescriptionUri = ULVODRAW_URI "#scaleDescription";
// Their files in the state: the name each was loaded from and its whole text, absent without one.
inline constexpr const char* kStateScaleNameUri = ULVODRAW_URI "#scaleName";
inline constexpr const char* kStateScaleTextUri = ULVODRAW_URI "#scaleText";
inline constexpr const char* kStateKeymapNameUri = ULVODRAW_URI "#keymapName";
inline constexpr const char* kStateKeymapTextUri = ULVODRAW_URI "#keymapText";
// The editor: an X11 UI in a binary of its own, beside the plug-in's.
inline constexpr const char* kUiUri = ULVODRAW_URI "#ui";

// Port indices: MIDI in, the two outputs, then every control in index order: the sixteen classic
// parameters, then the playing controls; last the notify output, where the plug-in tells its UI
// and the host which tuning files are in force.
enum PortIndex : std::uint32_t {
    kMidiInPort = 0,
    kOutputLeftPort = 1,
    kOutputRightPort = 2,
    kFirstParameterPort = 3,
};
inline constexpr std::uint32_t kNotifyPort = kFirstParameterPort + kControlCount;
inline constexpr std::uint32_t kPortCount = kNotifyPort + 1;
