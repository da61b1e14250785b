#include "plugin/clap/clap_instance.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "plugin/clap/clap_plugin_calls.h"
#include "plugin/clap/clap_streams.h"
#include "synth/bank_text.h"
#include "synth/control_names.h"
#include "synth/tuning/tuning_state_text.h"

namespace {

constexpr auto relaxed = std::memory_order_relaxed;
// A bank is a few kilobytes; a stream far longer is not one of ours.
constexpr std::size_t kLongestState = 1 << 20;

template <typename Extension>
const Extension* hostExtension(const clap::Host& host, const char* id) {
    return host.getExtension != nullptr
               ? static_cast<const Extension*>(host.getExtension(&host, id))
               : nullptr;
}

// An event of type T read from the host's list: copied, as the list need not align it, and only
// when the event is as large as T says.
template <typename T> bool readEvent(const clap::EventHeader& header, T& event) {
    if (header.size < sizeof(T)) return false;
    std::memcpy(&event, &header, sizeof(T));
    return true;
}

std::uint8_t midiChannel(std::int16_t channel) {
    return static_cast<std::uint8_t>(channel >= 0 && channel < 16 ? channel : 0);
}

// CLAP's velocity of 0 to 1 as MIDI's 1 to 127: a note-on of velocity 0 is still a note in
// CLAP, so it plays at the softest velocity MIDI has.
std::uint8_t midiVelocity(double velocity) {
    if (!(velocity > 0.0)) return 1;
    if (!(velocity < 1.0)) return 127;
    return static_cast<std::uint8_t>(std::clamp(std::lround(velocity * 127.0), 1L, 127L));
}

// Events whose effect the instrument applies at once rather than at a frame of the render: a
// program change, which sets every value, silence, a note's expression and a tuning change. The
// render is split at their frame.
bool actsAtOnce(const clap::EventHeader& header) {
    if (header.type == clap::kEventNoteChoke || header.type == clap::kEventNoteExpression)
        return true;
    // A tuning change retunes the sounding notes at its own frame.
    if (header.type == clap::kEventMidiSysex) return true;
    clap::EventMidi message;
    if (header.type != clap::kEventMidi || !readEvent(header, message)) return false;
    const std::uint8_t kind = message.data[0] & 0xF0;
    return kind == 0xC0 || (kind == 0xB0 && (message.data[1] == 120 || message.data[1] == 126));
}

} // namespace

ClapInstance::ClapInstance(const clap::Host& host, const clap::PluginDescriptor& descriptor)
    : host(host), plugin(pluginRecordFor(*this, descriptor)) {
    instrument.setSampleRate(44100.0f);
    instrument.settleProgram(0);
}

ClapInstance::~ClapInstance() {
    gui.reset();
}

ClapInstance* ClapInstance::of(const clap::Plugin* plugin) {
    return plugin != nullptr ? static_cast<ClapInstance*>(plugin->pluginData) : nullptr;
}

bool ClapInstance::init() {
    extensions.params = hostExtension<clap::HostParams>(host, clap::kExtParams);
    extensions.state = hostExtension<clap::HostState>(host, clap::kExtState);
    extensions.threadCheck = hostExtension<clap::HostThreadCheck>(host, clap::kExtThreadCheck);
    extensions.gui = hostExtension<clap::HostGui>(host, clap::kExtGui);
    extensions.timers = hostExtension<clap::HostTimerSupport>(host, clap::kExtTimerSupport);
    extensions.fds = hostExtension<clap::HostPosixFdSupport>(host, clap::kExtPosixFdSupport);
    return true;
}

bool ClapInstance::onMainThreadNow() const {
    const clap::HostThreadCheck* check = extensions.threadCheck;
    return check == nullptr || check->isMainThread == nullptr || check->isMainThread(&host);
}

bool ClapInstance::activate(double rate) {
    if (!(rate > 0.0 && rate < 1.0e9)) return false;
    if (!instrument.setSampleRate(static_cast<float>(rate))) return false;
    // Lengths and the cut-off take the new rate when their values are applied again.
    instrument.settleProgram(instrument.currentProgram());
    active.store(true, relaxed);
    return true;
}

void ClapInstance::deactivate() {
    active.store(false, relaxed);
    takeBank(); // the audio thread no longer runs: a bank it did not take is applied here
}

void ClapInstance::reset() {
    midi.reset();
    notes.forget();
}

std::int32_t ClapInstance::process(const clap::Process& process) {
    takeBank();
    takeEditorChanges(process.outEvents);
    const std::uint32_t frames = process.framesCount;
    left = right = nullptr;
    if (process.audioOutputs != nullptr && process.audioOutputsCount > 0) {
        const clap::AudioBuffer& out = process.audioOutputs[0];
        if (out.data32 != nullptr && out.channelCount >= 2) {
            left = out.data32[0];
            right = out.data32[1];
        }
    }
    const std::int32_t programBefore = instrument.currentProgram();

    // Parameter changes of one frame are applied together, in the instrument's one order; the
    // render runs up to each frame at which something changes the sound's values.
    std::uint32_t rendered = 0;
    ParameterSet changes;
    bool changesWaiting = false;
    const auto applyChanges = [&] {
        if (!changesWaiting) return;
        instrument.applyValues(changes);
        changes = ParameterSet{};
        changesWaiting = false;
    };
    const auto renderUpTo = [&](std::uint32_t time) {
        if (time <= rendered) return;
        applyChanges();
        renderSpan(rendered, time);
        rendered = time;
    };
    const clap::InputEvents* in = process.inEvents;
    const std::uint32_t count = in != nullptr && in->size != nullptr ? in->size(in) : 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const clap::EventHeader* event = in->get != nullptr ? in->get(in, i) : nullptr;
        if (event == nullptr || event->spaceId != clap::kCoreEventSpace ||
            event->size < sizeof(clap::EventHeader))
            continue;
        // Frames past the block are played on its last frame.
        const std::uint32_t time = frames == 0 ? 0 : std::min(event->time, frames - 1);
        if (event->type == clap::kEventParamValue) {
            clap::EventParamValue value;
            if (!readEvent(*event, value)) continue;
            renderUpTo(time);
            if (const std::optional<float> v = eventValue(value)) {
                changes.set(static_cast<std::int32_t>(value.paramId), *v);
                changesWaiting = true;
            }
            continue;
        }
        if (actsAtOnce(*event)) renderUpTo(time);
        applyChanges();
        playEvent(*event, static_cast<std::int32_t>(time > rendered ? time - rendered : 0));
    }
    applyChanges();
    renderSpan(rendered, frames);
    // A program change is the player's: the host shows the new values and saves them.
    if (instrument.currentProgram() != programBefore)
        tellMainThread(kValuesChanged | kStateChanged);
    return left != nullptr ? clap::kProcessContinue : clap::kProcessError;
}

void ClapInstance::renderSpan(std::uint32_t from, std::uint32_t to) {
    if (left == nullptr || right == nullptr) return;
    while (from < to) {
        const std::uint32_t chunk = std::min<std::uint32_t>(to - from, INT32_MAX);
        instrument.renderReplacing(left + from, right + from, static_cast<std::int32_t>(chunk));
        from += chunk;
    }
}

void ClapInstance::playEvent(const clap::EventHeader& event, std::int32_t frame) {
    switch (event.type) {
    case clap::kEventNoteOn:
    case clap::kEventNoteOff:
    case clap::kEventNoteChoke: {
        clap::EventNote note;
        if (readEvent(event, note)) playNote(note, frame);
        break;
    }
    case clap::kEventMidi: {
        clap::EventMidi message;
        if (readEvent(event, message)) midi.message(message.data, sizeof message.data, frame);
        break;
    }
    case clap::kEventNoteExpression: {
        clap::EventNoteExpression expression;
        if (readEvent(event, expression)) playExpression(expression);
        break;
    }
    case clap::kEventMidiSysex: {
        clap::EventMidiSysex message;
        if (readEvent(event, message) && message.buffer != nullptr)
            midi.message(message.buffer, message.size, frame);
        break;
    }
    default:
        // Modulation, transport and MIDI 2 are not taken.
        break;
    }
}

void ClapInstance::playNote(const clap::EventNote& note, std::int32_t frame) {
    if (note.header.type == clap::kEventNoteOn) {
        if (note.key < 0 || note.key >= NoteTargets::kKeys) return;
        notes.started(note.key, midiChannel(note.channel), note.noteId);
        midi.noteOn(static_cast<std::uint8_t>(note.key), midiVelocity(note.velocity), frame);
        return;
    }
    if (note.header.type == clap::kEventNoteChoke && note.noteId < 0 && note.channel < 0 &&
        note.key < 0) {
        midi.controller(120, 0, frame); // all sound off
        notes.forget();
        return;
    }
    if (note.header.type == clap::kEventNoteChoke) {
        // The keys it names fall silent, released ones too; the MIDI front lets go of the
        // held ones, so that a pedal lifted later finds nothing of them.
        notes.forEachNamed(note.noteId, note.channel, note.key, [&](std::int32_t key) {
            if (notes.isHeld(key)) {
                notes.released(key);
                midi.noteOff(static_cast<std::uint8_t>(key), frame);
            }
            instrument.silenceKey(static_cast<std::uint8_t>(key));
        });
        return;
    }
    notes.forEachHeld(note.noteId, note.channel, note.key, [&](std::int32_t key) {
        notes.released(key);
        midi.noteOff(static_cast<std::uint8_t>(key), frame);
    });
}

void ClapInstance::playExpression(const clap::EventNoteExpression& expression) {
    NoteExpression kind;
    if (expression.expressionId == clap::kNoteExpressionTuning)
        kind = NoteExpression::Tuning;
    else if (expression.expressionId == clap::kNoteExpressionVolume)
        kind = NoteExpression::Volume;
    else
        return; // pan, vibrato, brightness and the others have nothing to move
    notes.forEachNamed(
        expression.noteId, expression.channel, expression.key, [&](std::int32_t key) {
            instrument.noteExpression(static_cast<std::uint8_t>(key), kind, expression.value);
        });
}

std::optional<float> ClapInstance::eventValue(const clap::EventParamValue& event) {
    if (event.paramId >= static_cast<clap::Id>(kControlCount)) return std::nullopt;
    // No control is offered per note: an event for one note or key changes nothing.
    if (event.noteId >= 0 || event.key >= 0 || std::isnan(event.value)) return std::nullopt;
    const ControlRange& range = kControlRanges[event.paramId];
    double value = std::clamp(event.value, static_cast<double>(range.minimum),
                              static_cast<double>(range.maximum));
    if (range.kind != ValueKind::Continuous) value = std::round(value);
    return static_cast<float>(value);
}

void ClapInstance::flush(const clap::InputEvents* in, const clap::OutputEvents* out) {
    takeBank();
    takeEditorChanges(out);
    const std::uint32_t count = in != nullptr && in->size != nullptr ? in->size(in) : 0;
    ParameterSet changes;
    for (std::uint32_t i = 0; i < count; ++i) {
        const clap::EventHeader* event = in->get != nullptr ? in->get(in, i) : nullptr;
        clap::EventParamValue value;
        if (event == nullptr || event->spaceId != clap::kCoreEventSpace ||
            event->type != clap::kEventParamValue || !readEvent(*event, value))
            continue;
        if (const std::optional<float> v = eventValue(value))
            changes.set(static_cast<std::int32_t>(value.paramId), *v);
    }
    instrument.applyValues(changes);
}

void ClapInstance::takeEditorChanges(const clap::OutputEvents* out) {
    if (editorChanged.load(relaxed) == 0) return; // as nearly always
    const std::uint32_t changed = editorChanged.exchange(0, std::memory_order_acquire);
    ParameterSet changes;
    for (std::int32_t index = 0; index < kControlCount; ++index)
        if ((changed >> index & 1u) != 0) changes.set(index, editorValues[index].load(relaxed));
    instrument.applyValues(changes);
    if (out == nullptr || out->tryPush == nullptr) return;
    // The host learns of the user's changes as parameter events, to record or to show.
    for (std::int32_t index = 0; index < kControlCount; ++index) {
        if (!changes.given[index]) continue;
        clap::EventParamValue event{};
        event.header = {sizeof event, 0, clap::kCoreEventSpace, clap::kEventParamValue,
                        clap::kEventIsLive};
        event.paramId = static_cast<clap::Id>(index);
        event.noteId = -1;
        event.portIndex = event.channel = event.key = -1;
        event.value = changes.values[index];
        out->tryPush(out, &event.header);
    }
}

void ClapInstance::takeBank() {
    if (bank.take(instrument)) tellMainThread(kValuesChanged);
}

void ClapInstance::tellMainThread(std::uint32_t news) {
    mainThreadNews.fetch_or(news, relaxed);
    if (host.requestCallback != nullptr) host.requestCallback(&host);
}

void ClapInstance::onMainThread() {
    const std::uint32_t news = mainThreadNews.exchange(0, relaxed);
    if ((news & kValuesChanged) != 0 && extensions.params != nullptr &&
        extensions.params->rescan != nullptr)
        extensions.params->rescan(&host, clap::kParamRescanValues);
    if ((news & kStateChanged) != 0 && extensions.state != nullptr &&
        extensions.state->markDirty != nullptr)
        extensions.state->markDirty(&host);
}

bool ClapInstance::paramInfo(std::uint32_t index, clap::ParamInfo& info) const {
    if (index >= static_cast<std::uint32_t>(kControlCount)) return false;
    const ControlRange& range = kControlRanges[index];
    info = clap::ParamInfo{};
    info.id = index; // the control index: stable, never renumbered
    info.flags = clap::kParamIsAutomatable;
    if (range.kind != ValueKind::Continuous) info.flags |= clap::kParamIsStepped;
    if (range.kind == ValueKind::Choice) info.flags |= clap::kParamIsEnum;
    std::strncpy(info.name, kControlNames[index], sizeof info.name - 1);
    info.minValue = range.minimum;
    info.maxValue = range.maximum;
    info.defaultValue = kParameterDefaults[index];
    return true;
}

bool ClapInstance::paramValue(clap::Id id, double& value) const {
    if (id >= static_cast<clap::Id>(kControlCount)) return false;
    value = instrument.parameter(static_cast<std::int32_t>(id));
    return true;
}

bool ClapInstance::save(const clap::OutputStream& stream) const {
    if (!onMainThreadNow()) return false;
    return writeWhole(stream, writeBankText(instrument, tuningStateLines(tuningFiles)));
}

bool ClapInstance::load(const clap::InputStream& stream) {
    if (!onMainThreadNow()) return false;
    std::string text;
    if (!readWhole(stream, text, kLongestState)) return false;
    // Restored into a copy of the bank, so that lines the text lacks keep their programs and
    // the instrument the audio thread plays is not touched here.
    Instrument copy;
    for (std::int32_t p = 0; p < kProgramCount; ++p) {
        for (std::int32_t index = 0; index < kControlCount; ++index)
            copy.setProgramValue(p, index, instrument.program(p).value(index));
        copy.setProgramName(p, instrument.program(p).name);
    }
    copy.selectProgram(instrument.currentProgram());
    if (!restoreBankText(copy, text).recognised) return false;
    BankValues values;
    for (std::int32_t p = 0; p < kProgramCount; ++p) {
        for (std::int32_t index = 0; index < kControlCount; ++index)
            values.programs[p][index] = copy.program(p).value(index);
        // Names are only ever written here, on the main thread; the audio thread reads none.
        instrument.setProgramName(p, copy.program(p).name);
    }
    values.current = copy.currentProgram();
    bank.publish(values);
    // The tuning the state keeps, or none; a file in it that does not parse is left out.
    const TuningStateFiles files = readTuningStateLines(text);
    const bool wasTuned = tuningFiles.active();
    tuningFiles = {};
    tuningFiles.setScale(files.scale);
    tuningFiles.setKeymap(files.keymap);
    if (wasTuned || tuningFiles.active())
        instrument.postTuning(tuningFiles.table().value_or(Instrument::untunedTable()));
    if (!active.load(relaxed)) {
        bank.take(instrument);
        if (extensions.params != nullptr && extensions.params->rescan != nullptr)
            extensions.params->rescan(&host, clap::kParamRescanValues);
    }
    return true;
}

float ClapInstance::editorRead(std::int32_t index) const {
    if (!isControlIndex(index)) return 0.0f;
    if ((editorChanged.load(std::memory_order_acquire) >> index & 1u) != 0)
        return editorValues[index].load(relaxed);
    return instrument.parameter(index);
}

void ClapInstance::editorWrite(std::int32_t index, float value) {
    if (!isControlIndex(index) || std::isnan(value)) return;
    const ControlRange& range = kControlRanges[index];
    editorValues[index].store(std::clamp(value, range.minimum, range.maximum), relaxed);
    editorChanged.fetch_or(1u << index, std::memory_order_release);
    if (extensions.params != nullptr && extensions.params->requestFlush != nullptr)
        extensions.params->requestFlush(&host);
    else if (!active.load(relaxed))
        takeEditorChanges(nullptr); // no audio thread, and no flush to wait for
}

void ClapInstance::editorResetTuning() {
    if (!tuningFiles.active()) return;
    tuningFiles = {};
    instrument.postTuning(Instrument::untunedTable());
    if (extensions.state != nullptr && extensions.state->markDirty != nullptr)
        extensions.state->markDirty(&host);
}
