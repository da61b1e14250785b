// The part of the CLAP binary interface (version 1.x, a plain C interface under the MIT licence)
// that the CLAP front and its test host use, written from the format's public documentation: the
// entry, the plug-in factory, the plug-in and host records, processing and events, and the
// extensions this plug-in offers or asks of its host. Layouts, identifiers and numbers are the
// format's; the names are ours. Every function is called with the platform's C convention.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define ULVO_CLAP_CALL __cdecl
#else
#define ULVO_CLAP_CALL
#endif

namespace clap {

struct Version {
    std::uint32_t major;
    std::uint32_t minor;
    std::uint32_t revision;
};
// The version this front is written against; hosts take any 1.x.
inline constexpr Version kVersion = {1, 2, 0};

using Id = std::uint32_t;
inline constexpr Id kInvalidId = UINT32_MAX;
inline constexpr std::uint32_t kNameSize = 256;
inline constexpr std::uint32_t kPathSize = 1024;

// --- Identifiers of the factory and of the extensions ---
inline constexpr const char* kPluginFactoryId = "clap.plugin-factory";
inline constexpr const char* kExtParams = "clap.params";
inline constexpr const char* kExtNotePorts = "clap.note-ports";
inline constexpr const char* kExtAudioPorts = "clap.audio-ports";
inline constexpr const char* kExtState = "clap.state";
inline constexpr const char* kExtGui = "clap.gui";
inline constexpr const char* kExtTimerSupport = "clap.timer-support";
inline constexpr const char* kExtPosixFdSupport = "clap.posix-fd-support";
inline constexpr const char* kExtThreadCheck = "clap.thread-check";

inline constexpr const char* kPortStereo = "stereo";
inline constexpr const char* kWindowApiX11 = "x11";
inline constexpr const char* kWindowApiWin32 = "win32";

struct Host;
struct Plugin;

struct PluginDescriptor {
    Version clapVersion;
    const char* id;
    const char* name;
    const char* vendor;
    const char* url;
    const char* manualUrl;
    const char* supportUrl;
    const char* version;
    const char* description;
    const char* const* features; // null-terminated
};

struct Host {
    Version clapVersion;
    void* hostData;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    const void*(ULVO_CLAP_CALL* getExtension)(const Host* host, const char* id);
    void(ULVO_CLAP_CALL* requestRestart)(const Host* host);
    void(ULVO_CLAP_CALL* requestProcess)(const Host* host);
    void(ULVO_CLAP_CALL* requestCallback)(const Host* host);
};

// --- Events ---
struct EventHeader {
    std::uint32_t size; // of the whole event, this header included
    std::uint32_t time; // frame within the block
    std::uint16_t spaceId;
    std::uint16_t type;
    std::uint32_t flags;
};
inline constexpr std::uint16_t kCoreEventSpace = 0;
inline constexpr std::uint32_t kEventIsLive = 1u << 0;
inline constexpr std::uint32_t kEventDontRecord = 1u << 1;

enum EventType : std::uint16_t {
    kEventNoteOn = 0,
    kEventNoteOff = 1,
    kEventNoteChoke = 2,
    kEventNoteEnd = 3,
    kEventNoteExpression = 4,
    kEventParamValue = 5,
    kEventParamMod = 6,
    kEventParamGestureBegin = 7,
    kEventParamGestureEnd = 8,
    kEventTransport = 9,
    kEventMidi = 10,
    kEventMidiSysex = 11,
    kEventMidi2 = 12,
};

// Port, channel, key and note id of -1 are wildcards.
struct EventNote {
    EventHeader header;
    std::int32_t noteId;
    std::int16_t portIndex;
    std::int16_t channel;
    std::int16_t key;
    double velocity; // 0 to 1
};

enum NoteExpressionId : std::int32_t {
    kNoteExpressionVolume = 0, // a gain of 0 to 4
    kNoteExpressionPan = 1,
    kNoteExpressionTuning = 2, // semitones, -120 to 120
    kNoteExpressionVibrato = 3,
    kNoteExpressionExpression = 4,
    kNoteExpressionBrightness = 5,
    kNoteExpressionPressure = 6,
};

struct EventNoteExpression {
    EventHeader header;
    std::int32_t expressionId;
    std::int32_t noteId;
    std::int16_t portIndex;
    std::int16_t channel;
    std::int16_t key;
    double value;
};

struct EventParamValue {
    EventHeader header;
    Id paramId;
    void* cookie;
    std::int32_t noteId;
    std::int16_t portIndex;
    std::int16_t channel;
    std::int16_t key;
    double value;
};

struct EventParamMod {
    EventHeader header;
    Id paramId;
    void* cookie;
    std::int32_t noteId;
    std::int16_t portIndex;
    std::int16_t channel;
    std::int16_t key;
    double amount;
};

struct EventParamGesture {
    EventHeader header;
    Id paramId;
};

struct EventMidi {
    EventHeader header;
    std::uint16_t portIndex;
    std::uint8_t data[3];
};

struct EventMidiSysex {
    EventHeader header;
    std::uint16_t portIndex;
    const std::uint8_t* buffer;
    std::uint32_t size;
};

struct EventMidi2 {
    EventHeader header;
    std::uint16_t portIndex;
    std::uint32_t data[4];
};

struct EventTransport; // not read by this plug-in

struct InputEvents {
    void* ctx;
    std::uint32_t(ULVO_CLAP_CALL* size)(const InputEvents* list);
    const EventHeader*(ULVO_CLAP_CALL* get)(const InputEvents* list, std::uint32_t index);
};

struct OutputEvents {
    void* ctx;
    bool(ULVO_CLAP_CALL* tryPush)(const OutputEvents* list, const EventHeader* event);
};

// --- Processing ---
struct AudioBuffer {
    float** data32;
    double** data64;
    std::uint32_t channelCount;
    std::uint32_t latency;
    std::uint64_t constantMask;
};

enum ProcessStatus : std::int32_t {
    kProcessError = 0,
    kProcessContinue = 1,
    kProcessContinueIfNotQuiet = 2,
    kProcessTail = 3,
    kProcessSleep = 4,
};

struct Process {
    std::int64_t steadyTime;
    std::uint32_t framesCount;
    const EventTransport* transport;
    const AudioBuffer* audioInputs;
    AudioBuffer* audioOutputs;
    std::uint32_t audioInputsCount;
    std::uint32_t audioOutputsCount;
    const InputEvents* inEvents;
    const OutputEvents* outEvents;
};

struct Plugin {
    const PluginDescriptor* desc;
    void* pluginData;
    bool(ULVO_CLAP_CALL* init)(const Plugin* plugin);
    void(ULVO_CLAP_CALL* destroy)(const Plugin* plugin);
    bool(ULVO_CLAP_CALL* activate)(const Plugin* plugin, double sampleRate, std::uint32_t minFrames,
                                   std::uint32_t maxFrames);
    void(ULVO_CLAP_CALL* deactivate)(const Plugin* plugin);
    bool(ULVO_CLAP_CALL* startProcessing)(const Plugin* plugin);
    void(ULVO_CLAP_CALL* stopProcessing)(const Plugin* plugin);
    void(ULVO_CLAP_CALL* reset)(const Plugin* plugin);
    std::int32_t(ULVO_CLAP_CALL* process)(const Plugin* plugin, const Process* process);
    const void*(ULVO_CLAP_CALL* getExtension)(const Plugin* plugin, const char* id);
    void(ULVO_CLAP_CALL* onMainThread)(const Plugin* plugin);
};

struct PluginFactory {
    std::uint32_t(ULVO_CLAP_CALL* getPluginCount)(const PluginFactory* factory);
    const PluginDescriptor*(ULVO_CLAP_CALL* getPluginDescriptor)(const PluginFactory* factory,
                                                                 std::uint32_t index);
    const Plugin*(ULVO_CLAP_CALL* createPlugin)(const PluginFactory* factory, const Host* host,
                                                const char* pluginId);
};

struct PluginEntry {
    Version clapVersion;
    bool(ULVO_CLAP_CALL* init)(const char* pluginPath);
    void(ULVO_CLAP_CALL* deinit)();
    const void*(ULVO_CLAP_CALL* getFactory)(const char* factoryId);
};

// --- clap.params ---
enum ParamFlags : std::uint32_t {
    kParamIsStepped = 1u << 0,
    kParamIsPeriodic = 1u << 1,
    kParamIsHidden = 1u << 2,
    kParamIsReadonly = 1u << 3,
    kParamIsBypass = 1u << 4,
    kParamIsAutomatable = 1u << 5,
    kParamRequiresProcess = 1u << 15,
    kParamIsEnum = 1u << 16,
};

struct ParamInfo {
    Id id;
    std::uint32_t flags;
    void* cookie;
    char name[kNameSize];
    char module[kPathSize];
    double minValue;
    double maxValue;
    double defaultValue;
};

struct PluginParams {
    std::uint32_t(ULVO_CLAP_CALL* count)(const Plugin* plugin);
    bool(ULVO_CLAP_CALL* getInfo)(const Plugin* plugin, std::uint32_t index, ParamInfo* info);
    bool(ULVO_CLAP_CALL* getValue)(const Plugin* plugin, Id id, double* value);
    bool(ULVO_CLAP_CALL* valueToText)(const Plugin* plugin, Id id, double value, char* text,
                                      std::uint32_t capacity);
    bool(ULVO_CLAP_CALL* textToValue)(const Plugin* plugin, Id id, const char* text, double* value);
    void(ULVO_CLAP_CALL* flush)(const Plugin* plugin, const InputEvents* in,
                                const OutputEvents* out);
};

enum ParamRescanFlags : std::uint32_t {
    kParamRescanValues = 1u << 0,
    kParamRescanText = 1u << 1,
    kParamRescanInfo = 1u << 2,
    kParamRescanAll = 1u << 3,
};

struct HostParams {
    void(ULVO_CLAP_CALL* rescan)(const Host* host, std::uint32_t flags);
    void(ULVO_CLAP_CALL* clear)(const Host* host, Id id, std::uint32_t flags);
    void(ULVO_CLAP_CALL* requestFlush)(const Host* host);
};

// --- clap.note-ports ---
enum NoteDialect : std::uint32_t {
    kNoteDialectClap = 1u << 0,
    kNoteDialectMidi = 1u << 1,
    kNoteDialectMidiMpe = 1u << 2,
    kNoteDialectMidi2 = 1u << 3,
};

struct NotePortInfo {
    Id id;
    std::uint32_t supportedDialects;
    std::uint32_t preferredDialect;
    char name[kNameSize];
};

struct PluginNotePorts {
    std::uint32_t(ULVO_CLAP_CALL* count)(const Plugin* plugin, bool isInput);
    bool(ULVO_CLAP_CALL* get)(const Plugin* plugin, std::uint32_t index, bool isInput,
                              NotePortInfo* info);
};

// --- clap.audio-ports ---
inline constexpr std::uint32_t kAudioPortIsMain = 1u << 0;

struct AudioPortInfo {
    Id id;
    char name[kNameSize];
    std::uint32_t flags;
    std::uint32_t channelCount;
    const char* portType;
    Id inPlacePair;
};

struct PluginAudioPorts {
    std::uint32_t(ULVO_CLAP_CALL* count)(const Plugin* plugin, bool isInput);
    bool(ULVO_CLAP_CALL* get)(const Plugin* plugin, std::uint32_t index, bool isInput,
                              AudioPortInfo* info);
};

// --- clap.state ---
struct InputStream {
    void* ctx;
    // Bytes read; 0 at the end, -1 on an error.
    std::int64_t(ULVO_CLAP_CALL* read)(const InputStream* stream, void* buffer, std::uint64_t size);
};

struct OutputStream {
    void* ctx;
    // Bytes written; -1 on an error.
    std::int64_t(ULVO_CLAP_CALL* write)(const OutputStream* stream, const void* buffer,
                                        std::uint64_t size);
};

struct PluginState {
    bool(ULVO_CLAP_CALL* save)(const Plugin* plugin, const OutputStream* stream);
    bool(ULVO_CLAP_CALL* load)(const Plugin* plugin, const InputStream* stream);
};

struct HostState {
    void(ULVO_CLAP_CALL* markDirty)(const Host* host);
};

// --- clap.gui ---
struct Window {
    const char* api;
    union {
        void* cocoa;
        unsigned long x11;
        void* win32;
        void* ptr;
    };
};

struct GuiResizeHints {
    bool canResizeHorizontally;
    bool canResizeVertically;
    bool preserveAspectRatio;
    std::uint32_t aspectRatioWidth;
    std::uint32_t aspectRatioHeight;
};

struct PluginGui {
    bool(ULVO_CLAP_CALL* isApiSupported)(const Plugin* plugin, const char* api, bool isFloating);
    bool(ULVO_CLAP_CALL* getPreferredApi)(const Plugin* plugin, const char** api, bool* isFloating);
    bool(ULVO_CLAP_CALL* create)(const Plugin* plugin, const char* api, bool isFloating);
    void(ULVO_CLAP_CALL* destroy)(const Plugin* plugin);
    bool(ULVO_CLAP_CALL* setScale)(const Plugin* plugin, double scale);
    bool(ULVO_CLAP_CALL* getSize)(const Plugin* plugin, std::uint32_t* width,
                                  std::uint32_t* height);
    bool(ULVO_CLAP_CALL* canResize)(const Plugin* plugin);
    bool(ULVO_CLAP_CALL* getResizeHints)(const Plugin* plugin, GuiResizeHints* hints);
    bool(ULVO_CLAP_CALL* adjustSize)(const Plugin* plugin, std::uint32_t* width,
                                     std::uint32_t* height);
    bool(ULVO_CLAP_CALL* setSize)(const Plugin* plugin, std::uint32_t width, std::uint32_t height);
    bool(ULVO_CLAP_CALL* setParent)(const Plugin* plugin, const Window* window);
    bool(ULVO_CLAP_CALL* setTransient)(const Plugin* plugin, const Window* window);
    void(ULVO_CLAP_CALL* suggestTitle)(const Plugin* plugin, const char* title);
    bool(ULVO_CLAP_CALL* show)(const Plugin* plugin);
    bool(ULVO_CLAP_CALL* hide)(const Plugin* plugin);
};

struct HostGui {
    void(ULVO_CLAP_CALL* resizeHintsChanged)(const Host* host);
    bool(ULVO_CLAP_CALL* requestResize)(const Host* host, std::uint32_t width,
                                        std::uint32_t height);
    bool(ULVO_CLAP_CALL* requestShow)(const Host* host);
    bool(ULVO_CLAP_CALL* requestHide)(const Host* host);
    void(ULVO_CLAP_CALL* closed)(const Host* host, bool wasDestroyed);
};

// --- clap.timer-support ---
struct PluginTimerSupport {
    void(ULVO_CLAP_CALL* onTimer)(const Plugin* plugin, Id timerId);
};

struct HostTimerSupport {
    bool(ULVO_CLAP_CALL* registerTimer)(const Host* host, std::uint32_t periodMs, Id* timerId);
    bool(ULVO_CLAP_CALL* unregisterTimer)(const Host* host, Id timerId);
};

// --- clap.posix-fd-support ---
enum PosixFdFlags : std::uint32_t {
    kPosixFdRead = 1u << 0,
    kPosixFdWrite = 1u << 1,
    kPosixFdError = 1u << 2,
};

struct PluginPosixFdSupport {
    void(ULVO_CLAP_CALL* onFd)(const Plugin* plugin, int fd, std::uint32_t flags);
};

struct HostPosixFdSupport {
    bool(ULVO_CLAP_CALL* registerFd)(const Host* host, int fd, std::uint32_t flags);
    bool(ULVO_CLAP_CALL* modifyFd)(const Host* host, int fd, std::uint32_t flags);
    bool(ULVO_CLAP_CALL* unregisterFd)(const Host* host, int fd);
};

// --- clap.thread-check ---
struct HostThreadCheck {
    bool(ULVO_CLAP_CALL* isMainThread)(const Host* host);
    bool(ULVO_CLAP_CALL* isAudioThread)(const Host* host);
};

// The sizes the format's hosts lay these records out with, on 64-bit builds and on 32-bit
// Windows (the one 32-bit build, where a double is 8-aligned within a record): a field moved by
// mistake shows here rather than in a host.
static_assert(sizeof(void*) != 8 || (sizeof(EventNote) == 40 && sizeof(EventNoteExpression) == 40 &&
                                     sizeof(EventParamValue) == 56 && sizeof(EventMidi) == 24 &&
                                     sizeof(EventMidiSysex) == 40 && sizeof(Process) == 64 &&
                                     sizeof(ParamInfo) == 1320 && sizeof(AudioPortInfo) == 288 &&
                                     sizeof(PluginDescriptor) == 88 && sizeof(Plugin) == 96));
static_assert(sizeof(void*) != 4 || (sizeof(EventNote) == 40 && sizeof(EventNoteExpression) == 40 &&
                                     sizeof(EventParamValue) == 48 && sizeof(EventMidi) == 24 &&
                                     sizeof(EventMidiSysex) == 28 && sizeof(Process) == 40 &&
                                     sizeof(ParamInfo) == 1320 && sizeof(AudioPortInfo) == 276 &&
                                     sizeof(PluginDescriptor) == 48 && sizeof(Plugin) == 48));

} // namespace clap
