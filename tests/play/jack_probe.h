// The other side of the player in its tests: a keyboard (a JACK client with one MIDI output) and a
// recorder (another with two audio inputs). The keyboard plays events at exact frames from the
// start of a period on; the recorder keeps what arrives, frame by frame, in the same frames. A
// take in freewheel runs the server's periods one after the other as fast as the clients finish
// them, with no deadline that a loaded machine could miss; a live take keeps the server's pace.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include <jack/jack.h>

struct TimedMidi {
    std::int64_t frame = 0; // from the first frame played
    std::vector<std::uint8_t> bytes;
};

struct Recording {
    std::array<std::vector<float>, 2> channels;
    std::int64_t framesMissed = 0; // periods the recorder did not see
    int xruns = 0;                 // periods the server missed meanwhile
};

class JackProbe {
  public:
    // Opens both clients on the server that JACK_DEFAULT_SERVER names; fails the test if it
    // cannot.
    JackProbe();
    ~JackProbe();

    std::uint32_t periodSize() const { return jack_get_buffer_size(keyboard); }
    float sampleRate() const { return static_cast<float>(jack_get_sample_rate(keyboard)); }
    // The keyboard's output into `input`, and `left` and `right` into the recorder.
    bool plugInto(const std::string& input, const std::string& left, const std::string& right);
    // Full names of the ports connected to `port`.
    std::vector<std::string> connections(const std::string& port) const;
    // True while a client of that name is on the server.
    bool hasClient(const std::string& name) const;

    enum class Pace { Live, Freewheel };
    // Plays `events` (sorted by frame) from the next period on and records `frames` frames.
    Recording play(const std::vector<TimedMidi>& events, std::int64_t frames,
                   Pace pace = Pace::Live);
    // Keeps the recorder busy for `milliseconds` in its next period, so that the server misses
    // the period's end.
    void stallOnce(int milliseconds);

  private:
    static int playKeys(jack_nframes_t frames, void* self);
    static int record(jack_nframes_t frames, void* self);
    static int xrun(void* self);
    static void freewheelChanged(int starting, void* self);
    // Waits until the server is (or is no longer) in freewheel; false after a generous wait.
    bool switchFreewheel(bool on);

    jack_client_t* keyboard = nullptr;
    jack_client_t* recorder = nullptr;
    jack_port_t* midiOut = nullptr;
    std::array<jack_port_t*, 2> inputs{};

    // Set up by the main thread before `armed`, then the process callbacks' own.
    std::vector<TimedMidi> script;
    std::size_t nextEvent = 0;
    Recording take;
    std::int64_t length = 0;
    std::int64_t framesSeen = 0;
    std::atomic<bool> armed{false};
    std::atomic<bool> started{false};
    std::atomic<jack_nframes_t> firstFrame{0}; // frame time of the first period played
    std::atomic<bool> finished{false};
    std::atomic<int> stallMilliseconds{0};
    std::atomic<int> xruns{0};
    std::atomic<bool> freewheeling{false};
};
