#include "python/fresh_render.h"

#include <algorithm>
#include <memory>

#include "synth/instrument.h"
#include "synth/midi_front.h"

namespace {

void play(MidiFront& midi, const PlayEvent& event, std::int32_t frame) {
    switch (event.kind) {
    case PlayEvent::Kind::NoteOn:
        midi.noteOn(event.number, static_cast<std::uint8_t>(event.value), frame);
        break;
    case PlayEvent::Kind::NoteOff:
        midi.noteOff(event.number, frame);
        break;
    case PlayEvent::Kind::Controller:
        midi.controller(event.number, static_cast<std::uint8_t>(event.value), frame);
        break;
    case PlayEvent::Kind::Bend:
        midi.pitchBend(event.value);
        break;
    case PlayEvent::Kind::Pressure:
        midi.channelPressure(static_cast<std::uint8_t>(event.value));
        break;
    case PlayEvent::Kind::FileMessage: {
        const TimedMessage& m = *event.message;
        if (m.sysex.empty())
            midi.message(m.bytes, m.size, frame);
        else
            midi.message(m.sysex.data(), m.sysex.size(), frame);
        break;
    }
    }
}

} // namespace

void renderFresh(const RenderSetup& setup, std::span<const PlayEvent> events, std::int64_t frames,
                 float* left, float* right) {
    // On the heap: the instrument's programs and mailbox are too large for a worker's stack.
    const auto instrument = std::make_unique<Instrument>();
    instrument->setSampleRate(setup.sampleRate);
    instrument->settleProgram(0);
    ParameterSet all;
    for (std::int32_t index = 0; index < kControlCount; ++index)
        all.set(index, setup.values[index]);
    instrument->applyValues(all);
    if (setup.tuning) instrument->setTuning(*setup.tuning);
    MidiFront midi(*instrument);

    std::size_t next = 0;
    for (std::int64_t start = 0; start < frames; start += kRenderBlockFrames) {
        const auto block =
            static_cast<std::int32_t>(std::min<std::int64_t>(kRenderBlockFrames, frames - start));
        for (; next < events.size() && events[next].frame < start + block; ++next)
            play(midi, events[next],
                 static_cast<std::int32_t>(std::max<std::int64_t>(0, events[next].frame - start)));
        instrument->renderReplacing(left + start, right + start, block);
    }
}
