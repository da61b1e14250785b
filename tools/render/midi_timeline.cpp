#include "tools/render/midi_timeline.h"

#include <algorithm>

#include "tools/common/tool_error.h"
#include "tools/render/render_limits.h"

namespace {

using u128 = unsigned __int128;

// Frames are capped just past the longest render, so that frame numbers stay far from overflow.
constexpr std::int64_t kMaxFrames = std::int64_t{1} << 31;

std::int64_t roundQuotient(u128 numerator, u128 denominator) {
    u128 quotient = numerator / denominator;
    const u128 twiceRest = 2 * (numerator % denominator);
    if (twiceRest > denominator || (twiceRest == denominator && (quotient & 1) != 0)) ++quotient;
    // Callers keep quotients below kMaxFrames or treat larger ones as too long.
    return quotient > u128(kMaxFrames) ? kMaxFrames + 1 : static_cast<std::int64_t>(quotient);
}

} // namespace

FrameClock::FrameClock(std::uint16_t division, std::int32_t rate)
    : rate(static_cast<std::uint64_t>(rate)) {
    if ((division & 0x8000u) != 0) {
        // SMPTE: frame = tick * rate / (fps * ticksPerFrame), where "29" means 30000/1001 fps.
        smpte = true;
        const auto fps = static_cast<std::uint64_t>(-static_cast<std::int8_t>(division >> 8));
        const std::uint64_t ticksPerFrame = division & 0xFFu;
        smpteScale = fps == 29 ? 1001 : 1;
        unitsPerFrame = u128(fps == 29 ? 30000 : fps) * ticksPerFrame;
    } else {
        // frame = (sum of ticks * tempo) * rate / (ticksPerQuarter * 1000000)
        unitsPerFrame = u128(division) * 1000000u;
    }
}

double FrameClock::secondsAt(std::uint64_t tick) const {
    return static_cast<double>(elapsedAt(tick)) / static_cast<double>(unitsPerFrame) /
           static_cast<double>(rate);
}

u128 FrameClock::elapsedAt(std::uint64_t tick) const {
    if (smpte) return u128(tick) * rate * smpteScale;
    return segmentElapsed + u128(tick - segmentTick) * tempo * rate;
}

std::int64_t FrameClock::frameAt(std::uint64_t tick) {
    return roundQuotient(elapsedAt(tick), unitsPerFrame);
}

void FrameClock::setTempo(std::uint64_t tick, std::uint32_t newTempo) {
    if (smpte) return;
    segmentElapsed = elapsedAt(tick);
    segmentTick = tick;
    tempo = newTempo;
}

MidiTimeline buildTimeline(const MidiFile& midi, std::int32_t rate) {
    struct Placed {
        const MidiFileEvent* event;
    };
    std::vector<Placed> order;
    for (const auto& track : midi.tracks)
        for (const auto& event : track)
            order.push_back({&event});
    // Tracks were appended in file order, so a stable sort keeps track and file order at equal
    // ticks: a tempo change in the first track applies before notes at the same tick elsewhere.
    std::stable_sort(order.begin(), order.end(),
                     [](Placed a, Placed b) { return a.event->tick < b.event->tick; });

    MidiTimeline timeline;
    FrameClock clock(midi.division, rate);
    bool tooLong = false;
    for (const Placed& p : order) {
        const MidiFileEvent& e = *p.event;
        const std::int64_t frame = clock.frameAt(e.tick);
        // Past the limit only the tempo changes still count: they give the length to report.
        tooLong = tooLong || frame > kMaxRenderFrames;
        if (e.kind == MidiEventKind::Tempo) clock.setTempo(e.tick, e.tempo);
        if (tooLong) continue;
        timeline.lastEventFrame = frame;
        if (e.kind != MidiEventKind::Channel && e.sysex.empty()) continue;
        TimedMessage m;
        m.frame = frame;
        m.sysex = e.sysex;
        std::copy(e.bytes, e.bytes + e.size, m.bytes);
        m.size = e.size;
        timeline.messages.push_back(m);
    }
    if (tooLong)
        throw ToolError("lasts " + durationText(clock.secondsAt(order.back().event->tick)) +
                        ", longer than the longest render, " + renderLimitText(rate));
    return timeline;
}

MidiTimeline loadTimeline(const std::string& path, std::int32_t rate) {
    const MidiFile midi = loadMidiFile(path);
    try {
        return buildTimeline(midi, rate);
    } catch (const ToolError& e) {
        throw ToolError("'" + path + "' " + e.what());
    }
}
