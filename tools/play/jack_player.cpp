#include "tools/play/jack_player.h"

#include <cstdio>

#include <jack/midiport.h>

#include "tools/common/tool_error.h"

namespace {

// libjack's own messages stay off the terminal: they repeat, in its words, what the player says
// on one line (a missing server, a server gone).
void silent(const char*) {}

std::string openFailure(jack_status_t status) {
    if (status & JackServerFailed)
        return "no JACK server is running (ulvo-play never starts one; start JACK or PipeWire "
               "first)";
    if (status & JackVersionError) return "the JACK server speaks another protocol version";
    if (status & JackInvalidOption) return "the JACK server refused the client's options";
    char text[96];
    std::snprintf(text, sizeof text, "cannot open a JACK client (status 0x%x)",
                  static_cast<unsigned>(status));
    return text;
}

} // namespace

JackPlayer::JackPlayer(const std::string& name, Instrument& instrument,
                       const ControllerMap& controllers)
    : instrument(instrument), controllers(controllers) {
    jack_set_error_function(silent);
    jack_set_info_function(silent);
    jack_status_t status{};
    client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (client == nullptr) throw ToolError(openFailure(status));

    jack_set_process_callback(client, process, this);
    jack_set_xrun_callback(client, xrun, this);
    jack_on_info_shutdown(client, shutdown, this);
    midiIn = jack_port_register(client, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    outLeft = jack_port_register(client, "draw_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    outRight = jack_port_register(client, "draw_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    if (midiIn == nullptr || outLeft == nullptr || outRight == nullptr) {
        jack_client_close(client);
        throw ToolError("cannot register the JACK ports");
    }
}

JackPlayer::~JackPlayer() {
    deactivate();
    jack_client_close(client);
}

float JackPlayer::sampleRate() const {
    return static_cast<float>(jack_get_sample_rate(client));
}

std::string JackPlayer::clientName() const {
    return jack_get_client_name(client);
}

void JackPlayer::activate() {
    if (jack_activate(client) != 0) throw ToolError("the JACK server did not start the client");
    active = true;
}

void JackPlayer::deactivate() {
    if (!active) return;
    if (!serverGone()) jack_deactivate(client);
    active = false;
}

void JackPlayer::applyQueuedChanges() {
    if (active) return;
    queue.applyAll(instrument);
}

std::vector<std::string> JackPlayer::connectToSystem() {
    std::vector<std::string> failures;
    const auto connect = [&](const char* from, const char* to) {
        const int result = jack_connect(client, from, to);
        if (result != 0 && result != EEXIST)
            failures.push_back(std::string("cannot connect ") + from + " to " + to);
    };
    if (const char** playback = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                               JackPortIsPhysical | JackPortIsInput)) {
        // Left and right to the first two; a single playback port takes both.
        if (playback[0] != nullptr) {
            connect(jack_port_name(outLeft), playback[0]);
            connect(jack_port_name(outRight), playback[1] != nullptr ? playback[1] : playback[0]);
        }
        jack_free(playback);
    }
    if (const char** keyboards = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE,
                                                JackPortIsPhysical | JackPortIsOutput)) {
        for (const char** port = keyboards; *port != nullptr; ++port)
            connect(*port, jack_port_name(midiIn));
        jack_free(keyboards);
    }
    return failures;
}

// [audio thread] No allocation, lock, wait or I/O.
int JackPlayer::process(jack_nframes_t frames, void* self) {
    auto& player = *static_cast<JackPlayer*>(self);
    player.queue.applyAll(player.instrument);

    void* events = jack_port_get_buffer(player.midiIn, frames);
    const std::uint32_t count = jack_midi_get_event_count(events);
    const jack_nframes_t lastFrame = frames == 0 ? 0 : frames - 1;
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, events, i) != 0) continue;
        if (player.controllers.apply(event.buffer, event.size, player.instrument)) continue;
        const jack_nframes_t frame = event.time < lastFrame ? event.time : lastFrame;
        player.midi.message(event.buffer, event.size, static_cast<std::int32_t>(frame));
    }
    auto* left = static_cast<float*>(jack_port_get_buffer(player.outLeft, frames));
    auto* right = static_cast<float*>(jack_port_get_buffer(player.outRight, frames));
    player.instrument.renderReplacing(left, right, static_cast<std::int32_t>(frames));
    return 0;
}

// [JACK's notification thread]
int JackPlayer::xrun(void* self) {
    static_cast<JackPlayer*>(self)->xruns.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

// [JACK's thread]
void JackPlayer::shutdown(jack_status_t, const char*, void* self) {
    static_cast<JackPlayer*>(self)->shutDown.store(true, std::memory_order_relaxed);
}
