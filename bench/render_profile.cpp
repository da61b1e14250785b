// A fixed render for instruction counts, which stay the same however busy the machine is:
//   valgrind --tool=callgrind --toggle-collect='profiledRender*'
//       build/linux/ulvo_render_profile VOICES BLOCK [FRAMES]
// renders FRAMES frames (default 65536) in blocks of BLOCK through renderReplacing with VOICES
// held notes of the default program; divide the collected count by FRAMES.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/bench_instrument.h"
#include "synth/engine_probe.h"

// Kept out of line so that callgrind can collect exactly this.
__attribute__((noinline)) void profiledRender(Instrument& instrument, float* left, float* right,
                                              std::int32_t block, std::int32_t frames) {
    for (std::int32_t done = 0; done < frames; done += block)
        instrument.renderReplacing(left, right, block);
}

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: ulvo_render_profile VOICES BLOCK [FRAMES]\n");
        return 2;
    }
    const int voices = std::atoi(argv[1]), block = std::atoi(argv[2]);
    const int frames = argc > 3 ? std::atoi(argv[3]) : 65536;
    if (voices < 0 || voices > 16 || block < 1 || block > 1 << 16 || frames < block) {
        std::fprintf(stderr, "ulvo_render_profile: 0 to 16 voices, blocks of 1 to 65536 frames\n");
        return 2;
    }
    auto instrument = heldInstrument(Patch::Default, voices);
    std::vector<float> left(static_cast<std::size_t>(block)), right(left.size());
    instrument->renderReplacing(left.data(), right.data(), block); // builds the tables
    profiledRender(*instrument, left.data(), right.data(), block, frames);
    std::printf("%d voices, blocks of %d, %d frames on %s: %d sounding\n", voices, block, frames,
                renderIsaName(bestRenderIsa()), EngineProbe::engine(*instrument).soundingVoices());
    return 0;
}
