// The LV2 editor: the form of the VST 2 editor with the strip of playing controls below it, as an
// X11 UI embedded in the host's window at the host's scale factor. It reaches the plug-in only
// through port writes and the port events the host sends back, so it works in hosts that run it in
// a process of its own. It has no thread of its own: the host's idle calls handle its window's
// events and its 100 ms timer.
#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <array>
#include <cstring>
#include <memory>
#include <new>

#include "editor/drawn/form_scale.h"
#include "editor/editor_form.h"
#include "editor/x11/x11_form_window.h"
#include "plugin/lv2/port_parameter_link.h"
#include "plugin/lv2/port_tuning_link.h"
#include "plugin/lv2/ui_host_features.h"
#include "plugin/lv2/ulvodraw_uris.h"

namespace {

// The text box names this build and its version, where the VST 2 editor's names its own.
constexpr std::array<const char*, 4> kLv2AboutLines = {"Ulvo Draw " ULVO_VERSION,
                                                       "DrawBar Synth LV2", "", kPluginUri};

class UlvoDrawUi {
  public:
    UlvoDrawUi(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2_URID_Map* map)
        : link(write, controller), tuning(write, controller, map) {}

    // [ui thread] The form in `features`' parent window, shown; false when it cannot be made.
    bool open(const UiHostFeatures& features) {
        if (features.parent == 0) return false;
        // The layout's positions stand before FormCreate attaches the handlers, so nothing is
        // written while the form is built.
        form = std::make_unique<TForm1>(FormExtent::WithPlayingStrip);
        form->AboutLines = kLv2AboutLines;
        window =
            createChildFormWindow(features.parent, wholeFormScale(features.scaleFactor), *form);
        if (window == nullptr) return false;
        form->FormCreate();
        form->Synth = &link;
        form->Tuning = &tuning;
        tuning.askNames();
        window->show();
        if (features.resize != nullptr && features.resize->ui_resize != nullptr)
            features.resize->ui_resize(features.resize->handle, window->width(), window->height());
        return true;
    }
    ~UlvoDrawUi() {
        window.reset(); // stops the timer and the controls before the form they call goes
        form.reset();
    }

    LV2UI_Widget widget() const { return reinterpret_cast<LV2UI_Widget>(window->nativeWindow()); }
    void portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format,
                   const void* buffer) {
        link.portEvent(port, size, format, buffer);
        tuning.portEvent(port, size, format, buffer);
    }
    void idle() { window->idle(); }

  private:
    PortParameterLink link;
    PortTuningLink tuning;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<FormWindow> window; // destroyed before the form
};

// [ui thread] instantiate, cleanup, portEvent and idle: the host calls a UI from its own UI
// thread only.
LV2UI_Handle instantiate(const LV2UI_Descriptor* /*descriptor*/, const char* pluginUri,
                         const char* /*bundlePath*/, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features) {
    if (pluginUri == nullptr || std::strcmp(pluginUri, kPluginUri) != 0 || widget == nullptr)
        return nullptr;
    // Nothing may leave through the host's C call: a failure to allocate is a failure to open.
    try {
        const UiHostFeatures host = readUiHostFeatures(features);
        auto ui = std::make_unique<UlvoDrawUi>(write, controller, host.map);
        if (!ui->open(host)) return nullptr;
        *widget = ui->widget();
        return ui.release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void cleanup(LV2UI_Handle handle) {
    delete static_cast<UlvoDrawUi*>(handle);
}

void portEvent(LV2UI_Handle handle, std::uint32_t port, std::uint32_t size, std::uint32_t format,
               const void* buffer) {
    static_cast<UlvoDrawUi*>(handle)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle handle) {
    static_cast<UlvoDrawUi*>(handle)->idle();
    return 0; // the host's window holds the form: closing it is the host's business
}

const LV2UI_Idle_Interface kIdleInterface = {idle};

// [any thread] Answers from constant data only.
const void* extensionData(const char* uri) {
    if (uri != nullptr && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdleInterface;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = {kUiUri, instantiate, cleanup, portEvent, extensionData};

} // namespace

// [any thread]
extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
