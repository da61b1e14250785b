// One plug-in instance of the CLAP front: the instrument (every control, positions rule) and its
// MIDI front behind CLAP's plug-in record and the extensions clap.params, clap.note-ports,
// clap.audio-ports and clap.state; the editor (clap.gui) holds a link to it. Each entry says the
// thread and the state in which the host may call it, as the format puts it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

#include "plugin/clap/bank_handoff.h"
#include "plugin/clap/clap_abi.h"
#include "plugin/clap/note_targets.h"
#include "synth/instrument.h"
#include "synth/midi_front.h"
#include "synth/tuning/tuning_source.h"

// The editor of an instance, where the build has a windowing backend (clap_gui_*.cpp).
class InstanceEditor {
  public:
    virtual ~InstanceEditor() = default;
};

// What a host may hand over, on the main thread, of its own extensions.
struct HostExtensions {
    const clap::HostParams* params = nullptr;
    const clap::HostState* state = nullptr;
    const clap::HostThreadCheck* threadCheck = nullptr;
    const clap::HostGui* gui = nullptr;
    const clap::HostTimerSupport* timers = nullptr;
    const clap::HostPosixFdSupport* fds = nullptr;
};

class ClapInstance {
  public:
    // [any thread, from the factory] The instrument at 44100 Hz with program 0 settled; the host
    // is not called until init.
    ClapInstance(const clap::Host& host, const clap::PluginDescriptor& descriptor);
    ~ClapInstance();
    ClapInstance(const ClapInstance&) = delete;
    ClapInstance& operator=(const ClapInstance&) = delete;

    const clap::Plugin* record() const { return &plugin; }
    static ClapInstance* of(const clap::Plugin* plugin);

    // --- clap_plugin ---
    // [main thread] Asks the host for its extensions.
    bool init();
    // [main thread & !active] The rate in force for pitches, lengths and the cut-off; false for a
    // rate the instrument cannot run at.
    bool activate(double rate);
    // [main thread & active] A bank restored meanwhile and not yet played is taken now.
    void deactivate();
    // [audio thread & active] Every voice silent, the pedal up, the bend centred.
    void reset();
    // [audio thread & active & processing] The block's events at their frames, the render split
    // at each time a parameter changes; the editor's changes and a restored bank first.
    std::int32_t process(const clap::Process& process);
    // [main thread] Tells the host what the audio thread changed (values, after a program change
    // or a restored bank).
    void onMainThread();

    // --- clap.params ---
    // [main thread]
    bool paramInfo(std::uint32_t index, clap::ParamInfo& info) const;
    bool paramValue(clap::Id id, double& value) const;
    // [active ? audio thread : main thread] Parameter events without a render.
    void flush(const clap::InputEvents* in, const clap::OutputEvents* out);

    // --- clap.state [main thread] ---
    bool save(const clap::OutputStream& stream) const;
    bool load(const clap::InputStream& stream);

    // --- the editor's link [main thread] ---
    float editorRead(std::int32_t index) const;
    // The user moved a control: the value waits for the audio thread (or a flush), which tells
    // the host.
    void editorWrite(std::int32_t index, float value);
    // The tuning the state keeps, for the strip; its reset takes both files away.
    const TuningSource& editorTuning() const { return tuningFiles; }
    void editorResetTuning();

    // --- clap.gui [main thread] ---
    InstanceEditor* editor() const { return gui.get(); }
    void setEditor(std::unique_ptr<InstanceEditor> editor) { gui = std::move(editor); }
    const HostExtensions& hostExtensions() const { return extensions; }
    const clap::Host& hostRecord() const { return host; }
    // True unless the host's thread check says this is not its main thread.
    bool onMainThreadNow() const;

  private:
    void takeEditorChanges(const clap::OutputEvents* out);
    void takeBank();
    // One event of the core space at `frame` of the coming render.
    void playEvent(const clap::EventHeader& event, std::int32_t frame);
    void playNote(const clap::EventNote& note, std::int32_t frame);
    // Tuning and volume reach the voices of the keys the expression names, at once.
    void playExpression(const clap::EventNoteExpression& expression);
    // The value a parameter event sets, held within the control's range; none for a value that
    // is not a number or an event that addresses one note.
    static std::optional<float> eventValue(const clap::EventParamValue& event);
    void renderSpan(std::uint32_t from, std::uint32_t to);
    // [any thread] Asks the host for a call on its main thread, which passes `news` on.
    enum News : std::uint32_t { kValuesChanged = 1, kStateChanged = 2 };
    void tellMainThread(std::uint32_t news);

    const clap::Host& host;
    clap::Plugin plugin;
    HostExtensions extensions;
    Instrument instrument;
    MidiFront midi{instrument};
    NoteTargets notes;
    BankHandoff bank;
    // The tuning's files the state keeps [main thread]; MTS SysEx retunes without them.
    TuningSource tuningFiles;
    std::atomic<bool> active{false};
    // Output buffers of the block being processed.
    float* left = nullptr;
    float* right = nullptr;
    // The editor's changes waiting for the audio thread: the latest value of each control, and a
    // bit per control that has one.
    std::array<std::atomic<float>, kControlCount> editorValues{};
    std::atomic<std::uint32_t> editorChanged{0};
    static_assert(kControlCount <= std::numeric_limits<std::uint32_t>::digits,
                  "editorChanged holds a bit for every control");
    // News for the host that the audio thread leaves for the main thread.
    std::atomic<std::uint32_t> mainThreadNews{0};
    std::unique_ptr<InstanceEditor> gui; // destroyed before the instrument it shows
};
