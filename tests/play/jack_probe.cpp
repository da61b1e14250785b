#include "tests/play/jack_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include <jack/midiport.h>

namespace {

jack_client_t* openClient(const char* name) {
    jack_status_t status{};
    jack_client_t* client = jack_client_open(name, JackNoStartServer, &status);
    EXPECT_NE(client, nullptr) << "cannot open " << name << " (status " << status << ")";
    return client;
}

} // namespace

JackProbe::JackProbe() {
    keyboard = openClient("probe-keys");
    recorder = openClient("probe-recorder");
    if (keyboard == nullptr || recorder == nullptr) return;
    midiOut = jack_port_register(keyboard, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    inputs[0] = jack_port_register(recorder, "in_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    inputs[1] = jack_port_register(recorder, "in_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(keyboard, playKeys, this);
    jack_set_process_callback(recorder, record, this);
    jack_set_xrun_callback(recorder, xrun, this);
    jack_set_freewheel_callback(keyboard, freewheelChanged, this);
    EXPECT_EQ(jack_activate(keyboard), 0);
    EXPECT_EQ(jack_activate(recorder), 0);
}

JackProbe::~JackProbe() {
    if (recorder != nullptr) jack_client_close(recorder);
    if (keyboard != nullptr) jack_client_close(keyboard);
}

bool JackProbe::plugInto(const std::string& input, const std::string& left,
                         const std::string& right) {
    const int a = jack_connect(keyboard, jack_port_name(midiOut), input.c_str());
    const int b = jack_connect(recorder, left.c_str(), jack_port_name(inputs[0]));
    const int c = jack_connect(recorder, right.c_str(), jack_port_name(inputs[1]));
    return a == 0 && b == 0 && c == 0;
}

std::vector<std::string> JackProbe::connections(const std::string& port) const {
    std::vector<std::string> names;
    jack_port_t* handle = jack_port_by_name(keyboard, port.c_str());
    if (handle == nullptr) return names;
    if (const char** list = jack_port_get_all_connections(keyboard, handle)) {
        for (const char** p = list; *p != nullptr; ++p)
            names.emplace_back(*p);
        jack_free(list);
    }
    return names;
}

bool JackProbe::hasClient(const std::string& name) const {
    const char** ports = jack_get_ports(keyboard, (name + ":").c_str(), nullptr, 0);
    const bool found = ports != nullptr && ports[0] != nullptr;
    if (ports != nullptr) jack_free(ports);
    return found;
}

bool JackProbe::switchFreewheel(bool on) {
    if (jack_set_freewheel(keyboard, on ? 1 : 0) != 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (freewheeling.load() != on) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

Recording JackProbe::play(const std::vector<TimedMidi>& events, std::int64_t frames, Pace pace) {
    // Armed only once the server runs free, so that the whole take is in one mode.
    if (pace == Pace::Freewheel) {
        EXPECT_TRUE(switchFreewheel(true)) << "no freewheel";
    }
    script = events;
    nextEvent = 0;
    length = frames;
    framesSeen = 0;
    take = {};
    take.channels[0].assign(static_cast<std::size_t>(frames), 0.0f);
    take.channels[1].assign(static_cast<std::size_t>(frames), 0.0f);
    finished.store(false);
    const int xrunsBefore = xruns.load();
    started.store(false);
    armed.store(true, std::memory_order_release);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!finished.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    armed.store(false, std::memory_order_release);
    EXPECT_TRUE(finished.load()) << "the recording did not end";
    // Both callbacks have seen `armed` cleared once a period has passed.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (pace == Pace::Freewheel) {
        EXPECT_TRUE(switchFreewheel(false)) << "still freewheeling";
    }
    take.framesMissed = length - framesSeen;
    take.xruns = xruns.load() - xrunsBefore;
    return take;
}

void JackProbe::stallOnce(int milliseconds) {
    stallMilliseconds.store(milliseconds);
}

// [the keyboard's process thread]
int JackProbe::playKeys(jack_nframes_t frames, void* self) {
    auto& probe = *static_cast<JackProbe*>(self);
    void* buffer = jack_port_get_buffer(probe.midiOut, frames);
    jack_midi_clear_buffer(buffer);
    if (!probe.armed.load(std::memory_order_acquire)) return 0;
    const jack_nframes_t now = jack_last_frame_time(probe.keyboard);
    if (!probe.started.load(std::memory_order_relaxed)) {
        probe.firstFrame.store(now, std::memory_order_relaxed);
        probe.started.store(true, std::memory_order_release);
    }
    const std::int64_t from = static_cast<jack_nframes_t>(now - probe.firstFrame.load());
    while (probe.nextEvent < probe.script.size() &&
           probe.script[probe.nextEvent].frame < from + frames) {
        const TimedMidi& event = probe.script[probe.nextEvent++];
        // Periods the live server skipped leave their events to the first frame of this one.
        const std::int64_t frame = std::max<std::int64_t>(event.frame - from, 0);
        jack_midi_event_write(buffer, static_cast<jack_nframes_t>(frame), event.bytes.data(),
                              event.bytes.size());
    }
    return 0;
}

// [the recorder's process thread]
int JackProbe::record(jack_nframes_t frames, void* self) {
    auto& probe = *static_cast<JackProbe*>(self);
    if (const int stall = probe.stallMilliseconds.exchange(0); stall > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(stall));
    if (!probe.armed.load(std::memory_order_acquire) ||
        !probe.started.load(std::memory_order_acquire) || probe.finished.load())
        return 0;
    const jack_nframes_t now = jack_last_frame_time(probe.recorder);
    // Signed: a late period from before the take, which a loaded machine may run after the
    // keyboard's first, lies before it and is no part of the take.
    const std::int64_t from = static_cast<std::int32_t>(now - probe.firstFrame.load());
    if (from < 0) return 0;
    for (std::size_t c = 0; c < 2; ++c) {
        const auto* in = static_cast<const float*>(jack_port_get_buffer(probe.inputs[c], frames));
        for (jack_nframes_t i = 0; i < frames; ++i)
            if (from + i < probe.length) probe.take.channels[c][from + i] = in[i];
    }
    probe.framesSeen += std::clamp<std::int64_t>(probe.length - from, 0, frames);
    if (from + frames >= probe.length) probe.finished.store(true, std::memory_order_release);
    return 0;
}

// [the keyboard's notification thread]
void JackProbe::freewheelChanged(int starting, void* self) {
    static_cast<JackProbe*>(self)->freewheeling.store(starting != 0);
}

// [the recorder's notification thread]
int JackProbe::xrun(void* self) {
    static_cast<JackProbe*>(self)->xruns.fetch_add(1);
    return 0;
}
