// --channel: which MIDI channels of the piece reach the instrument. By default every channel but
// 10, where General MIDI puts the drums, which a drawbar organ would play as pitched notes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/render/midi_timeline.h"

// A set of channels, bit c - 1 for channel c.
using ChannelSet = std::uint16_t;
inline constexpr ChannelSet kEveryChannel = 0xFFFF;
inline constexpr int kDrumChannel = 10;

// "all", or channels from 1 to 16 and ranges of them joined by commas: "1,3-5". Throws ToolError
// naming what is wrong.
ChannelSet parseChannelList(const std::string& text);

struct ChannelChoice {
    ChannelSet channels = kEveryChannel;
    std::string notice; // one line for the user; empty when there is nothing to say
};

// The channels to play of a piece of `messages`: `given`, with a warning when none of them has a
// note; without it every channel, but 10 when other channels have notes too, which the notice
// says.
ChannelChoice chooseChannels(const std::vector<TimedMessage>& messages,
                             std::optional<ChannelSet> given);

// Drops the messages of the channels not in `channels`.
void keepChannels(std::vector<TimedMessage>& messages, ChannelSet channels);
