#include "python/fresh_render.h"

#include <algorithm>
#include <memory>

#include "synth/instrument.h"
#include "synth/midi_front.h"

void renderFresh(const RenderSetup& setup, std::span<const TimedMessage> messages,
                 std::int64_t frames, float* left, float* right) {
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
        for (; next < messages.size() && messages[next].frame < start + block; ++next) {
            const TimedMessage& m = messages[next];
            const auto frame =
                static_cast<std::int32_t>(std::max<std::int64_t>(0, m.frame - start));
            if (m.sysex.empty())
                midi.message(m.bytes, m.size, frame);
            else
                midi.message(m.sysex.data(), m.sysex.size(), frame);
        }
        instrument->renderReplacing(left + start, right + start, block);
    }
}
