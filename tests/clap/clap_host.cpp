#include "tests/clap/clap_host.h"

#include "host/clap_library.h"

namespace {

const ClapLibrary& library() {
    static const ClapLibrary* module = new ClapLibrary(ULVO_CLAP_MODULE);
    return *module;
}

} // namespace

const clap::PluginEntry* clapEntry() {
    return &library().entryPoint();
}

ClapHost::ClapHost(bool threadCheck)
    : ClapPlugin(library().factory(), library().descriptor().id, library().path(), "UlvoDraw tests",
                 {.threadCheck = threadCheck, .windowing = true, .keepSentValues = true}) {}

bool ClapHost::activate(double rate) {
    return ClapPlugin::activate(rate, 4096) && startProcessing();
}

std::int32_t ClapHost::run(std::uint32_t frames, std::vector<float>& left,
                           std::vector<float>& right) {
    left.assign(frames, 1234.0f);
    right.assign(frames, -1234.0f);
    float* channels[2] = {left.data(), right.data()};
    clap::AudioBuffer output{channels, nullptr, 2, 0, 0};
    clap::Process block{-1, frames, nullptr, nullptr, &output, 0, 1, events.input(), nullptr};
    const std::int32_t status = process(block);
    events.clear();
    return status;
}
