// The instrument as a JACK client: one MIDI input, two audio outputs. Each period the process
// callback applies the editor's parameter changes and program choices, hands the period's MIDI
// events to the MIDI front at their frames and renders, as the LV2 front does in run(); the
// controllers that the player's controller map claims set their controls instead, at once for the
// whole period.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include <jack/jack.h>

#include "synth/instrument.h"
#include "synth/midi_front.h"
#include "tools/play/controller_map.h"
#include "tools/play/parameter_queue.h"

class JackPlayer {
  public:
    // [main thread] Opens a client called `name` (JACK may number it) on the running server, and
    // never starts one; registers the ports. Throws ToolError with one line of explanation.
    JackPlayer(const std::string& name, Instrument& instrument, const ControllerMap& controllers);
    // [main thread] Deactivates and closes the client.
    ~JackPlayer();
    JackPlayer(const JackPlayer&) = delete;
    JackPlayer& operator=(const JackPlayer&) = delete;

    // [main thread]
    float sampleRate() const;
    std::string clientName() const;
    // Starts the process callback. Throws ToolError.
    void activate();
    // Stops it; afterwards the instrument is the main thread's again, and so is the queue.
    void deactivate();
    // Outputs to the system's playback ports, every hardware MIDI output to the input. Returns a
    // line for each connection that failed.
    std::vector<std::string> connectToSystem();
    // Xruns reported since the last call.
    std::uint32_t takeXruns() { return xruns.exchange(0, std::memory_order_relaxed); }
    // True once the server shut the client down.
    bool serverGone() const { return shutDown.load(std::memory_order_relaxed); }
    // Applies the changes still queued; only while deactivated.
    void applyQueuedChanges();

    // [ui thread] The writer's end of the queue that the process callback drains.
    ParameterQueue& changes() { return queue; }

  private:
    static int process(jack_nframes_t frames, void* self);
    static int xrun(void* self);
    static void shutdown(jack_status_t, const char*, void* self);

    Instrument& instrument;
    MidiFront midi{instrument};
    const ControllerMap controllers; // fixed before the process callback starts
    ParameterQueue queue;
    jack_client_t* client = nullptr;
    jack_port_t* midiIn = nullptr;
    jack_port_t* outLeft = nullptr;
    jack_port_t* outRight = nullptr;
    bool active = false;
    std::atomic<std::uint32_t> xruns{0};
    std::atomic<bool> shutDown{false};
};
