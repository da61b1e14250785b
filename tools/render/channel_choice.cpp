#include "tools/render/channel_choice.h"

#include <algorithm>
#include <bit>

#include "tools/common/decimal_numbers.h"
#include "tools/common/nearest_names.h"
#include "tools/common/tool_error.h"

namespace {

ChannelSet bit(int channel) {
    return static_cast<ChannelSet>(1u << (channel - 1));
}

int channelOf(const TimedMessage& m) {
    return (m.bytes[0] & 0x0F) + 1;
}

bool isNote(const TimedMessage& m) {
    return (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] > 0;
}

int channelNumber(const std::string& text, const std::string& list) {
    const std::optional<std::int64_t> n = decimalInteger(text);
    if (!n || *n < 1 || *n > 16)
        throw ToolError("--channel takes channels from 1 to 16, ranges such as 3-5 or 'all', "
                        "joined by commas, not '" +
                        list + "'");
    return static_cast<int>(*n);
}

// "1, 2 and 10".
std::string channelsText(ChannelSet channels) {
    std::vector<std::string> numbers;
    for (int c = 1; c <= 16; ++c)
        if ((channels & bit(c)) != 0) numbers.push_back(std::to_string(c));
    return listedNames(numbers);
}

} // namespace

ChannelSet parseChannelList(const std::string& text) {
    if (text == "all") return kEveryChannel;
    ChannelSet channels = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        const std::size_t dash = item.find('-', 1);
        const int first = channelNumber(item.substr(0, dash), text);
        const int last =
            dash == std::string::npos ? first : channelNumber(item.substr(dash + 1), text);
        if (last < first)
            throw ToolError("--channel " + text + ": the range " + item + " runs backwards");
        for (int c = first; c <= last; ++c)
            channels = static_cast<ChannelSet>(channels | bit(c));
        if (comma == text.size()) break;
        start = comma + 1;
    }
    return channels;
}

ChannelChoice chooseChannels(const std::vector<TimedMessage>& messages,
                             std::optional<ChannelSet> given) {
    ChannelSet withNotes = 0;
    for (const TimedMessage& m : messages)
        if (isNote(m)) withNotes = static_cast<ChannelSet>(withNotes | bit(channelOf(m)));
    if (given) {
        if (withNotes == 0 || (withNotes & *given) != 0) return {*given, ""};
        return {*given, "warning: --channel " + channelsText(*given) +
                            " leaves no notes to play: the piece has notes on channel" +
                            (std::popcount(withNotes) == 1 ? " " : "s ") + channelsText(withNotes)};
    }
    const ChannelSet drums = bit(kDrumChannel);
    if ((withNotes & drums) == 0 || (withNotes & ~drums) == 0) return {kEveryChannel, ""};
    return {static_cast<ChannelSet>(kEveryChannel & ~drums),
            "leaving out channel 10, the drums, as the piece has notes on other channels too; "
            "--channel all plays it"};
}

void keepChannels(std::vector<TimedMessage>& messages, ChannelSet channels) {
    if (channels == kEveryChannel) return;
    std::erase_if(messages,
                  [&](const TimedMessage& m) { return (channels & bit(channelOf(m))) == 0; });
}
