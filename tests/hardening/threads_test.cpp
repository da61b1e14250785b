// A host's two threads at once on one instance. The audio thread delivers events and renders
// block after block, and sends automation and program changes as hosts may on that thread. The
// user-interface thread writes parameters, selects, renames and copies programs, reads every
// text, and runs the open editor: its 100 ms poll, and the change handlers of its controls (the
// headless backend's, which live in memory) as a user moves sliders and radio groups and drags
// knobs. scripts/test_steps/35-tsan.sh builds this under ThreadSanitizer, which must report no
// data race; every build checks the output.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "editor/editor_form.h"
#include "editor/parameter_binding.h"
#include "host/vst2_quiet_host.h"
#include "plugin/vst2/audio_effect.h"
#include "plugin/vst2/gr_editor.h"
#include "plugin/vst2/plugin_factory.h"
#include "tests/hardening/host_traffic.h"
#include "tests/hardening/run_length.h"

namespace {

struct AudioThreadResult {
    long blocks = 0;
    long notFinite = 0;
    long unequal = 0;
};

// The audio thread plays on until the user-interface thread has had its share, so that the two
// overlap however the threads are scheduled (valgrind runs one at a time).
constexpr long kMinUserInterfaceSteps = 200;

AudioThreadResult runAudioThread(AEffect* effect, double seconds,
                                 const std::atomic<long>& userInterfaceSteps) {
    AudioThreadResult result;
    Random random(0xA0D10);
    EventBlock block;
    std::vector<float> left(4096), right(4096);
    float* outputs[2] = {left.data(), right.data()};
    for (double rendered = 0;
         rendered < seconds || userInterfaceSteps.load() < kMinUserInterfaceSteps;
         ++result.blocks) {
        if (random.chance(0.1)) randomParameterWrites(random, effect);
        if (random.chance(0.01)) dispatch(effect, effSetProgram, 0, random.below(32));
        const std::int32_t frames = randomBlockSize(random);
        block.clear();
        addRandomMidi(random, block, frames, 64);
        block.sendTo(effect);
        const bool replacing = random.chance(0.8);
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        if (replacing)
            effect->processReplacing(effect, nullptr, outputs, frames);
        else
            effect->process(effect, nullptr, outputs, frames);
        for (std::int32_t i = 0; i < frames; ++i) {
            const float s = left[static_cast<std::size_t>(i)];
            if (!std::isfinite(s)) ++result.notFinite;
            if (std::memcmp(&s, &right[static_cast<std::size_t>(i)], sizeof s) != 0)
                ++result.unequal;
        }
        rendered += frames / 44100.0;
    }
    return result;
}

// One thing a host's user-interface thread does, with the editor open.
void userInterfaceStep(Random& random, AEffect* effect, TForm1& form) {
    char text[64];
    switch (random.below(12)) {
    case 0:
        randomParameterWrites(random, effect);
        break;
    case 1:
        effect->setParameter(effect, random.below(16), random.unit() * 4.0f - 2.0f);
        break;
    case 2:
        randomProgramOperation(random, effect);
        break;
    case 3:
        for (VstInt32 p = 0; p < 16; ++p) {
            (void)effect->getParameter(effect, p);
            dispatch(effect, effGetParamDisplay, p, 0, text);
            dispatch(effect, effGetParamName, p, 0, text);
            dispatch(effect, effGetParamLabel, p, 0, text);
        }
        break;
    case 4:
        dispatch(effect, effGetProgramName, 0, 0, text);
        dispatch(effect, effGetProgramNameIndexed, random.below(32), 0, text);
        dispatch(effect, effGetProgram);
        break;
    case 5:
        form.Timer1Timer();
        break; // the editor's poll
    case 6:
    case 7: {
        // A user moves a slider or a radio group, or clicks a knob's position.
        const std::int32_t p = random.below(16);
        if (FormControl* control = form.boundControl(p))
            control->setPosition(random.below(kBindings[p].steps + 1));
        break;
    }
    case 8: {
        // A user drags a knob: press, a few moves, release.
        constexpr std::int32_t kKnobs[] = {CutOff, Q, Env, Smooth};
        TTsumami* knob = form.knobFor(kKnobs[random.below(4)]);
        const KnobPoint press{random.below(800), random.below(600)};
        knob->beginDrag(press);
        for (int move = 0; move < 4; ++move)
            knob->dragTo({press.x + random.below(200) - 100, press.y + random.below(200) - 100});
        knob->endDrag();
        break;
    }
    case 9: {
        dispatch(effect, effEditIdle);
        ERect* rect = nullptr;
        dispatch(effect, effEditGetRect, 0, 0, &rect);
        break;
    }
    case 10:
        dispatch(effect, effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent"));
        dispatch(effect, effGetVendorString, 0, 0, text);
        dispatch(effect, effMainsChanged, 0, 1);
        break;
    default: {
        // A host that changes the rate without switching the instrument off.
        constexpr float kRates[] = {44100.0f, 48000.0f, 96000.0f};
        dispatch(effect, effSetSampleRate, 0, 0, nullptr, kRates[random.below(3)]);
        break;
    }
    }
}

TEST(HostThreads, AudioAndUserInterfaceThreadsShareOneInstanceWithTheEditorOpen) {
    AudioEffect* object = createEffectInstance(quietVst2Host);
    ASSERT_NE(object, nullptr);
    AEffect* effect = object->getAeffect();
    dispatch(effect, effMainsChanged, 0, 1);
    int parentWindow = 0; // the headless backend makes no window inside it
    ASSERT_EQ(dispatch(effect, effEditOpen, 0, 0, &parentWindow), 1);
    auto* editor = dynamic_cast<GrEditor*>(object->getEditor());
    ASSERT_NE(editor, nullptr);
    TForm1* form = editor->getForm();
    ASSERT_NE(form, nullptr);

    const double audioSeconds = RunLength{60.0, 20.0, 2.0}.pick();
    std::atomic<bool> audioDone{false};
    std::atomic<long> userInterfaceSteps{0};
    std::thread userInterface([&] {
        Random random(0x0071);
        while (!audioDone.load()) {
            userInterfaceStep(random, effect, *form);
            userInterfaceSteps.fetch_add(1);
        }
    });
    AudioThreadResult audio;
    std::thread audioThread([&] {
        audio = runAudioThread(effect, audioSeconds, userInterfaceSteps);
        audioDone.store(true);
    });
    audioThread.join();
    userInterface.join();

    std::printf("%ld audio blocks against %ld user-interface steps\n", audio.blocks,
                userInterfaceSteps.load());
    EXPECT_EQ(audio.notFinite, 0);
    EXPECT_EQ(audio.unequal, 0);
    EXPECT_GE(userInterfaceSteps.load(), kMinUserInterfaceSteps);

    // Once things are quiet, one poll brings every control to its parameter's value.
    form->Timer1Timer();
    for (std::int32_t p = 0; p < 16; ++p) {
        const ParameterBinding& binding = kBindings[p];
        const std::int32_t expected =
            std::clamp(binding.positionFor(effect->getParameter(effect, p)), 0, binding.steps);
        ASSERT_NE(form->boundControl(p), nullptr);
        EXPECT_EQ(form->boundControl(p)->position(), expected) << "parameter " << p;
    }
    dispatch(effect, effEditClose);
    EXPECT_EQ(editor->getForm(), nullptr);
    dispatch(effect, effClose);
}

} // namespace
