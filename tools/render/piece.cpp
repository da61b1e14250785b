#include "tools/render/piece.h"

#include "tools/common/tool_error.h"
#include "tools/render/channel_choice.h"
#include "tools/render/midi_file.h"

Piece loadPiece(const RenderOptions& options) {
    const MidiFile midi =
        loadMidiFile(options.input, options.strict ? MidiReading::Strict : MidiReading::Lenient);
    Piece piece;
    for (const TrackDamage& d : midi.damage)
        piece.notices.push_back("warning: '" + options.input + "': track " +
                                std::to_string(d.track) + " is damaged at byte " +
                                std::to_string(d.offset) + " (" + d.what +
                                "); it plays up to there (--strict refuses such a file)");
    try {
        piece.timeline = buildTimeline(midi, options.rate);
    } catch (const ToolError& e) {
        throw ToolError("'" + options.input + "' " + e.what());
    }
    const ChannelChoice choice = chooseChannels(piece.timeline.messages, options.channels);
    keepChannels(piece.timeline.messages, choice.channels);
    if (!choice.notice.empty()) piece.notices.push_back(choice.notice);
    return piece;
}
