// Two instruments driven alike: one renders with the reference, the other with the fast render on
// one instruction set. Every render compares the samples and the voices to the bit.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "synth/engine_probe.h"
#include "synth/instrument.h"
#include "synth/parameters.h"
#include "synth/render/render_fast.h"

inline std::uint32_t bitsOf(float x) {
    std::uint32_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

// Passes when two renders of a channel gave the same bits.
inline ::testing::AssertionResult sameSampleBits(const char* channel, const std::vector<float>& a,
                                                 const std::vector<float>& b) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if (bitsOf(a[i]) != bitsOf(b[i])) {
            // One stream, so that the bits come out in hexadecimal.
            std::ostringstream text;
            text << channel << " frame " << i << ": reference " << a[i] << " (0x" << std::hex
                 << bitsOf(a[i]) << "), fast " << b[i] << " (0x" << bitsOf(b[i]) << ")";
            return ::testing::AssertionFailure() << text.str();
        }
    return ::testing::AssertionSuccess();
}

inline std::string describeVoice(const Voice& v) {
    char text[320];
    std::snprintf(text, sizeof text,
                  "{phase %a step %a smoothed %a band %d low %d stage %d attack %d decay %d "
                  "release %d level %a delay %d countdown %d}",
                  v.phase, v.phaseStep, v.smoothed, v.bandState, v.lowState, v.stage, v.attackPos,
                  v.decayPos, v.releasePos, v.envLevel, v.startDelay, v.releaseCountdown);
    return text;
}

// Passes when voice `i` of both renders is the same, byte for byte.
inline ::testing::AssertionResult sameVoice(std::int32_t i, const Voice& reference,
                                            const Voice& fast) {
    if (std::memcmp(&reference, &fast, sizeof(Voice)) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "voice " << i << " differs: " << describeVoice(reference) << " vs "
           << describeVoice(fast);
}

class EnginePair {
  public:
    explicit EnginePair(RenderIsa isa, DrawbarRule rule = DrawbarRule::Positions)
        : isa(isa), reference(std::make_unique<Instrument>(rule)),
          fast(std::make_unique<Instrument>(rule)) {}

    void setParameter(std::int32_t index, float value) {
        for (Instrument* e : {reference.get(), fast.get()})
            e->setParameter(index, value);
    }
    // Derived values that no parameter reaches (the engine holds every parameter within 0..1),
    // written into both engines: the fast render keeps its own guards for such values, and these
    // reach them. The atomics are not const objects, so writing through the cast is defined.
    template <class Change> void forceValues(Change change) {
        for (Instrument* e : {reference.get(), fast.get()}) {
            auto& values = const_cast<EngineValues&>(EngineProbe::engine(*e).values());
            change(values);
            values.changes.fetch_add(1, std::memory_order_release);
        }
    }
    void forceEnvDepth(float depth) {
        forceValues([&](EngineValues& v) { v.envDepth.store(depth); });
    }
    // Smoothing -1 and weights near the integer range: the filter input saturates.
    void forceSaturatedInput() {
        forceValues([](EngineValues& v) {
            v.smoothing.store(-1.0f);
            const std::int32_t weights[kHarmonicBlocks] = {2000, 952, -41000, 0, 0, 0, 0};
            for (int k = 0; k < kHarmonicBlocks; ++k)
                v.harmonicWeight[k].store(weights[k]);
        });
    }
    // The classic values or every control's (by index), applied as a program is.
    template <std::size_t N> void loadValues(const std::array<float, N>& values) {
        for (Instrument* e : {reference.get(), fast.get()})
            e->loadValues(values);
    }
    void setRate(float r) {
        for (Instrument* e : {reference.get(), fast.get()})
            e->setSampleRate(r);
    }
    void midi(int status, int data1, int data2, int delta = 0) {
        for (Instrument* e : {reference.get(), fast.get()})
            e->midiEvent(static_cast<std::uint8_t>(status), static_cast<std::uint8_t>(data1),
                         static_cast<std::uint8_t>(data2), delta);
    }
    // The same call on both instruments: `play(instrument)`, e.g. a performance controller.
    template <class Play> void both(Play play) {
        for (Instrument* e : {reference.get(), fast.get()})
            play(*e);
    }
    void noteOn(int note, int velocity = 100, int delta = 0) { midi(0x90, note, velocity, delta); }
    void noteOff(int note, int delta = 0) { midi(0x80, note, 0, delta); }

    // Renders `frames` frames on top of `initial` (both channels start from it); with `shared`
    // the two channels are one buffer. Passes when both engines give the same bits and, with
    // `voices`, the same voices (reading them brings steady lanes' states into the voices).
    ::testing::AssertionResult render(std::int32_t frames, const std::vector<float>& initial = {},
                                      bool shared = false, bool voices = true) {
        std::vector<float> refLeft(frames, 0.0f), refRight(frames, 0.0f);
        for (std::size_t i = 0; i < initial.size() && i < refLeft.size(); ++i)
            refLeft[i] = refRight[i] = initial[i];
        std::vector<float> fastLeft = refLeft, fastRight = refRight;
        EngineProbe::renderReference(*reference, refLeft.data(),
                                     shared ? refLeft.data() : refRight.data(), frames);
        EngineProbe::renderWith(*fast, isa, fastLeft.data(),
                                shared ? fastLeft.data() : fastRight.data(), frames);
        return compare(refLeft, refRight, fastLeft, fastRight, voices);
    }

    // A replacing render: the reference into cleared buffers, the fast render over rubbish that
    // it must not read.
    ::testing::AssertionResult renderReplacing(std::int32_t frames, bool shared = false,
                                               bool voices = true) {
        std::vector<float> refLeft(frames, 0.0f), refRight(frames, 0.0f);
        std::vector<float> fastLeft(frames, std::numeric_limits<float>::quiet_NaN()),
            fastRight(frames, -7.0f);
        EngineProbe::renderReference(*reference, refLeft.data(),
                                     shared ? refLeft.data() : refRight.data(), frames);
        EngineProbe::renderWith(*fast, isa, fastLeft.data(),
                                shared ? fastLeft.data() : fastRight.data(), frames, true);
        return compare(refLeft, shared ? refLeft : refRight, fastLeft,
                       shared ? fastLeft : fastRight, voices);
    }

    ::testing::AssertionResult compare(const std::vector<float>& refLeft,
                                       const std::vector<float>& refRight,
                                       const std::vector<float>& fastLeft,
                                       const std::vector<float>& fastRight, bool voices) {
        if (auto r = sameSampleBits("left", refLeft, fastLeft); !r) return r;
        if (auto r = sameSampleBits("right", refRight, fastRight); !r) return r;
        for (std::int32_t i = 0; voices && i < kVoiceCount; ++i)
            if (auto r = sameVoice(i, voice(*reference, i), voice(*fast, i)); !r) return r;
        return ::testing::AssertionSuccess();
    }

    const FastRenderState& fastState() const {
        return EngineProbe::engine(*fast).fastRenderState();
    }
    static const Voice& voice(const Instrument& e, std::int32_t i) {
        return EngineProbe::engine(e).voice(i);
    }

    const RenderIsa isa;
    std::unique_ptr<Instrument> reference;
    std::unique_ptr<Instrument> fast;
};

// The instruction sets to compare; those the CPU lacks are skipped by the tests.
inline std::vector<RenderIsa> allRenderIsas() {
    std::vector<RenderIsa> all;
    for (std::int32_t i = 0; i < kRenderIsaCount; ++i)
        all.push_back(static_cast<RenderIsa>(i));
    return all;
}

inline std::string isaTestName(const ::testing::TestParamInfo<RenderIsa>& info) {
    return renderIsaName(info.param);
}
