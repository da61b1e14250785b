#include "tools/play/factory_programs.h"

#include <algorithm>
#include <cstddef>

#include "synth/preset_text.h"
#include "tools/common/factory_presets.h"
#include "tools/common/tool_error.h"

void loadFactoryPrograms(Instrument& instrument) {
    const std::vector<Preset>& presets = factoryPresets();
    const std::size_t count = std::min(presets.size(), static_cast<std::size_t>(kProgramCount));
    for (std::size_t p = 0; p < count; ++p) {
        const Preset& preset = presets[p];
        const auto program = static_cast<std::int32_t>(p);
        for (std::int32_t index = 0; index < kControlCount; ++index)
            instrument.setProgramValue(program, index, preset.values[index]);
        instrument.setProgramName(program, preset.name.c_str());
    }
    instrument.selectProgram(0);
}
