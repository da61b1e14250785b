// What ulvo-render says after a render: the summary line, and a warning when samples were
// clipped.
#pragma once

#include <cstdint>
#include <string>

#include "tools/render/audio_file_writer.h"
#include "tools/render/level_meter.h"

struct RenderFacts {
    std::string path;
    std::int64_t frames = 0;
    std::int32_t rate = 0;
    std::int32_t channels = 0;
    SampleFormat format = SampleFormat::Int24;
    double wallSeconds = 0.0; // rendering and writing
};

// "out.wav: 23.01 s, 2 ch, 44100 Hz, 24-bit | peak -5.7 -5.7 dBFS | RMS ... | 224x real time",
// without a newline.
std::string summaryLine(const RenderFacts& facts, const LevelMeter& meter);

// Empty unless a 16- or 24-bit file got samples beyond full scale, which it clips; else how
// many, the peak, and what to do about it: the --gain that brings the peak under full scale
// (`gainDb` is the render's own), and 32-bit float where the file at `path` can hold it. A
// 32-bit float file keeps such samples as they are.
std::string clipWarning(const LevelMeter& meter, SampleFormat format, double gainDb,
                        const std::string& path);
