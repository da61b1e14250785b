// Whatever float a host sends, the editor's poll moves every control to the end of its range at
// most, and its arithmetic stays within 32 bits (minus infinity on a slider once overflowed
// there). Run under the sanitizers, this catches the overflow itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "editor/editor_form.h"
#include "editor/parameter_binding.h"
#include "host/vst2_quiet_host.h"
#include "plugin/vst2/audio_effect.h"
#include "plugin/vst2/gr_editor.h"
#include "plugin/vst2/plugin_factory.h"
#include "tests/hardening/host_traffic.h"

namespace {

TEST(EditorPoll, AnyHostValueLeavesEveryControlWithinItsRange) {
    using L = std::numeric_limits<float>;
    const float values[] = {
        -L::infinity(), L::infinity(), L::quiet_NaN(), -L::max(), L::max(),        -1e30f, 1e30f,
        -4.3e7f,        4.3e7f,        -2.0f,          3.0f,      L::denorm_min(), 0.5f};
    AudioEffect* object = createEffectInstance(quietVst2Host);
    AEffect* effect = object->getAeffect();
    int parentWindow = 0;
    ASSERT_EQ(dispatch(effect, effEditOpen, 0, 0, &parentWindow), 1);
    TForm1* form = dynamic_cast<GrEditor*>(object->getEditor())->getForm();
    ASSERT_NE(form, nullptr);
    for (float value : values) {
        for (std::int32_t p = 0; p < 16; ++p)
            effect->setParameter(effect, p, value);
        form->Timer1Timer();
        for (std::int32_t p = 0; p < 16; ++p) {
            const ParameterBinding& binding = kBindings[p];
            const std::int32_t position = form->boundControl(p)->position();
            EXPECT_GE(position, 0) << "parameter " << p << " at " << value;
            EXPECT_LE(position, binding.steps) << "parameter " << p << " at " << value;
            // The poll shows the value the parameter holds now (the end a control moved to
            // when it could not show the host's value).
            EXPECT_EQ(position, std::clamp(binding.positionFor(effect->getParameter(effect, p)), 0,
                                           binding.steps))
                << "parameter " << p << " at " << value;
        }
    }
    dispatch(effect, effClose);
}

} // namespace
