// clap.gui: the editor form of the other fronts, embedded in the host's window (set_parent), of a
// fixed size. On X11 it is drawn at the host's scale rounded to 1, 2 or 3, and it has no thread
// of its own: the host's timer (clap.timer-support) and its watch on the X connection
// (clap.posix-fd-support) call it on the main thread to handle its events and run its 100 ms
// timer. On Windows the host's message loop drives the native window. Built on the headless
// backend (ULVO_EDITOR_HEADLESS, the thread tests), the form lives in memory and the host's timer
// runs its poll.
#include <array>
#include <cstring>
#include <memory>

#include "editor/drawn/form_scale.h"
#include "editor/editor_form.h"
#include "editor/form_layout.h"
#include "editor/form_window.h"
#include "editor/parameter_binding.h"
#include "editor/parameter_link.h"
#include "plugin/clap/clap_instance.h"
#include "plugin/clap/clap_plugin_calls.h"
#include "synth/control_text.h"
#include "synth/identity.h"

#if !defined(_WIN32) && !defined(ULVO_EDITOR_HEADLESS)
#include "editor/x11/x11_form_window.h"
#endif

namespace {

#if defined(_WIN32)
constexpr const char* kWindowApi = clap::kWindowApiWin32;
#else
constexpr const char* kWindowApi = clap::kWindowApiX11;
#endif
#if defined(_WIN32)
// The Windows backend draws the classic form alone.
constexpr FormExtent kExtent = FormExtent::Classic;
#else
// The classic form with the strip of playing controls, as the LV2 UI has it.
constexpr FormExtent kExtent = FormExtent::WithPlayingStrip;
#endif
// The text box names this build and its version, where the VST 2 editor's names its own.
constexpr std::array<const char*, 4> kClapAboutLines = {"Ulvo Draw " ULVO_VERSION,
                                                        "DrawBar Synth CLAP", "", kUlvoDrawClapId};
// Often enough for a knob to follow the mouse where the host does not watch the connection.
constexpr std::uint32_t kTimerPeriodMs = 30;

// The form's way to the instance: values read as the audio thread holds them, the user's
// changes handed to the instance, which passes them to the audio thread and the host.
class InstanceLink : public ParameterLink {
  public:
    explicit InstanceLink(ClapInstance& instance) : instance(instance) {}

    float readParameter(std::int32_t index) override { return instance.editorRead(index); }
    // What the control shows for the value it polled is not a move of the user's: a host would
    // take it for one and record it over automation.
    void writeParameter(std::int32_t index, float value) override {
        const float current = instance.editorRead(index);
        if (value == current) return;
        if (static_cast<std::size_t>(index) < kBindings.size() &&
            value == shownValue(index, current))
            return;
        instance.editorWrite(index, value);
    }
    std::string valueText(std::int32_t index, float value) override {
        return controlValueText(index, value);
    }

  private:
    ClapInstance& instance;
};

// The strip's way to the tuning the instance's state keeps.
class InstanceTuningLink : public TuningLink {
  public:
    explicit InstanceTuningLink(ClapInstance& instance) : instance(instance) {}
    std::string tuningName() override { return instance.editorTuning().shownName(); }
    void resetTuning() override { instance.editorResetTuning(); }

  private:
    ClapInstance& instance;
};

class ClapEditor : public InstanceEditor {
  public:
    explicit ClapEditor(ClapInstance& instance)
        : instance(instance), link(instance), tuning(instance) {}
    ~ClapEditor() override {
        const HostExtensions& host = instance.hostExtensions();
        const clap::Host* record = &instance.hostRecord();
        if (timer != clap::kInvalidId && host.timers != nullptr &&
            host.timers->unregisterTimer != nullptr)
            host.timers->unregisterTimer(record, timer);
        if (watched >= 0 && host.fds != nullptr && host.fds->unregisterFd != nullptr)
            host.fds->unregisterFd(record, watched);
        window.reset(); // stops the timer and the controls before the form they call goes
        form.reset();
    }

    // [main thread] Only before the window exists; its size follows.
    bool setScale(double factor) {
#if defined(_WIN32)
        (void)factor;
        return false; // the native window takes the system's own scaling
#else
        if (window != nullptr) return false;
        scale = wholeFormScale(factor);
        return true;
#endif
    }

    void size(std::uint32_t& width, std::uint32_t& height) const {
        width =
            static_cast<std::uint32_t>(window != nullptr ? window->width() : kFormWidth * scale);
        height = static_cast<std::uint32_t>(window != nullptr ? window->height()
                                                              : formHeight(kExtent) * scale);
    }

    // [main thread] The form in `parent`, hidden until show(); once.
    bool setParent(const clap::Window& parent) {
        if (window != nullptr || parent.api == nullptr || std::strcmp(parent.api, kWindowApi) != 0)
            return false;
        std::uint32_t announcedWidth = 0, announcedHeight = 0;
        size(announcedWidth, announcedHeight);
        // The layout's positions stand before FormCreate attaches the handlers, so nothing is
        // written while the form is built.
        form = std::make_unique<TForm1>(kExtent);
        form->AboutLines = kClapAboutLines;
#if defined(_WIN32)
        window = createFormWindow(parent.win32, *form);
#elif defined(ULVO_EDITOR_HEADLESS)
        window = createFormWindow(nullptr, *form);
#else
        window = createChildFormWindow(parent.x11, scale, *form);
#endif
        if (window == nullptr) {
            form.reset();
            return false;
        }
        form->FormCreate();
        form->Synth = &link;
        form->Tuning = &tuning;
        watchWindow();
        std::uint32_t width = 0, height = 0;
        size(width, height);
        const HostExtensions& host = instance.hostExtensions();
        if ((width != announcedWidth || height != announcedHeight) && host.gui != nullptr &&
            host.gui->requestResize != nullptr)
            host.gui->requestResize(&instance.hostRecord(), width, height);
        return true;
    }

    bool show() {
        if (window == nullptr) return false;
        window->show();
        return true;
    }

    // [main thread] From the host's timer or its watch on the connection.
    void handleEvents() {
        if (window == nullptr) return;
        window->idle();
#if defined(ULVO_EDITOR_HEADLESS)
        form->Timer1Timer(); // the form in memory has no timer of its own
#endif
    }

  private:
    void watchWindow() {
        const HostExtensions& host = instance.hostExtensions();
        const clap::Host* record = &instance.hostRecord();
        if (host.timers != nullptr && host.timers->registerTimer != nullptr &&
            !host.timers->registerTimer(record, kTimerPeriodMs, &timer))
            timer = clap::kInvalidId;
        const int descriptor = window->eventDescriptor();
        if (descriptor >= 0 && host.fds != nullptr && host.fds->registerFd != nullptr &&
            host.fds->registerFd(record, descriptor, clap::kPosixFdRead))
            watched = descriptor;
    }

    ClapInstance& instance;
    InstanceLink link;
    InstanceTuningLink tuning;
    std::int32_t scale = 1;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<FormWindow> window; // destroyed before the form
    clap::Id timer = clap::kInvalidId;
    int watched = -1;
};

ClapEditor* editorOf(const clap::Plugin* plugin) {
    ClapInstance* instance = ClapInstance::of(plugin);
    return instance != nullptr ? static_cast<ClapEditor*>(instance->editor()) : nullptr;
}

// --- clap.gui: every entry [main thread] ---

bool ULVO_CLAP_CALL isApiSupported(const clap::Plugin*, const char* api, bool isFloating) {
    return !isFloating && api != nullptr && std::strcmp(api, kWindowApi) == 0;
}

bool ULVO_CLAP_CALL preferredApi(const clap::Plugin*, const char** api, bool* isFloating) {
    if (api == nullptr || isFloating == nullptr) return false;
    *api = kWindowApi;
    *isFloating = false;
    return true;
}

// Embedded only. On X11 the host's timer is what runs the editor: without it, no editor.
bool ULVO_CLAP_CALL create(const clap::Plugin* plugin, const char* api, bool isFloating) {
    ClapInstance* instance = ClapInstance::of(plugin);
    if (!isApiSupported(plugin, api, isFloating) || instance->editor() != nullptr ||
        !instance->onMainThreadNow())
        return false;
#if !defined(_WIN32)
    const HostExtensions& host = instance->hostExtensions();
    if (host.timers == nullptr || host.timers->registerTimer == nullptr) return false;
#endif
    try {
        instance->setEditor(std::make_unique<ClapEditor>(*instance));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void ULVO_CLAP_CALL destroy(const clap::Plugin* plugin) {
    ClapInstance::of(plugin)->setEditor(nullptr);
}

bool ULVO_CLAP_CALL setScale(const clap::Plugin* plugin, double scale) {
    ClapEditor* editor = editorOf(plugin);
    return editor != nullptr && editor->setScale(scale);
}

bool ULVO_CLAP_CALL getSize(const clap::Plugin* plugin, std::uint32_t* width,
                            std::uint32_t* height) {
    ClapEditor* editor = editorOf(plugin);
    if (editor == nullptr || width == nullptr || height == nullptr) return false;
    editor->size(*width, *height);
    return true;
}

// [main thread & !floating] A fixed size: no resizing or adjustment.
bool ULVO_CLAP_CALL canResize(const clap::Plugin*) {
    return false;
}

// Hosts ask for the hints whatever canResize said (Qtractor complains when there are none): the
// same fixed size, in neither direction.
bool ULVO_CLAP_CALL resizeHints(const clap::Plugin*, clap::GuiResizeHints* hints) {
    if (hints == nullptr) return false;
    *hints = clap::GuiResizeHints{false, false, false, 0, 0};
    return true;
}

bool ULVO_CLAP_CALL adjustSize(const clap::Plugin*, std::uint32_t*, std::uint32_t*) {
    return false;
}

// Only the size the editor has is one it can take.
bool ULVO_CLAP_CALL setSize(const clap::Plugin* plugin, std::uint32_t width, std::uint32_t height) {
    std::uint32_t w = 0, h = 0;
    return getSize(plugin, &w, &h) && w == width && h == height;
}

bool ULVO_CLAP_CALL setParent(const clap::Plugin* plugin, const clap::Window* window) {
    ClapEditor* editor = editorOf(plugin);
    return editor != nullptr && window != nullptr && editor->setParent(*window);
}

// [main thread & floating] No floating window.
bool ULVO_CLAP_CALL setTransient(const clap::Plugin*, const clap::Window*) {
    return false;
}

void ULVO_CLAP_CALL suggestTitle(const clap::Plugin*, const char*) {}

bool ULVO_CLAP_CALL show(const clap::Plugin* plugin) {
    ClapEditor* editor = editorOf(plugin);
    return editor != nullptr && editor->show();
}

// The host hides its own window, and the embedded form with it.
bool ULVO_CLAP_CALL hide(const clap::Plugin* plugin) {
    return editorOf(plugin) != nullptr;
}

constexpr clap::PluginGui kGui = {isApiSupported, preferredApi, create,       destroy,    setScale,
                                  getSize,        canResize,    resizeHints,  adjustSize, setSize,
                                  setParent,      setTransient, suggestTitle, show,       hide};

#if !defined(_WIN32)
// --- clap.timer-support and clap.posix-fd-support [main thread] ---

void ULVO_CLAP_CALL onTimer(const clap::Plugin* plugin, clap::Id) {
    if (ClapEditor* editor = editorOf(plugin)) editor->handleEvents();
}

void ULVO_CLAP_CALL onFd(const clap::Plugin* plugin, int, std::uint32_t) {
    if (ClapEditor* editor = editorOf(plugin)) editor->handleEvents();
}

constexpr clap::PluginTimerSupport kTimerSupport = {onTimer};
constexpr clap::PluginPosixFdSupport kPosixFdSupport = {onFd};
#endif

} // namespace

const void* editorExtension(const char* id) {
    if (id == nullptr) return nullptr;
    if (std::strcmp(id, clap::kExtGui) == 0) return &kGui;
#if !defined(_WIN32)
    if (std::strcmp(id, clap::kExtTimerSupport) == 0) return &kTimerSupport;
    if (std::strcmp(id, clap::kExtPosixFdSupport) == 0) return &kPosixFdSupport;
#endif
    return nullptr;
}
