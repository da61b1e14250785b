// The editor's link to an LV2 plug-in it cannot reach otherwise (the UI may run in another
// process): the user's changes written to the control ports through the host's write function,
// and the values the host sent to the UI read back from what it last sent. Every control has a
// port, kFirstParameterPort + its index.
#pragma once

#include <lv2/ui/ui.h>

#include <array>
#include <cstring>

#include "editor/parameter_binding.h"
#include "editor/parameter_link.h"
#include "plugin/lv2/ulvodraw_uris.h"
#include "synth/control_text.h"
#include "synth/parameters.h"

class PortParameterLink : public ParameterLink {
  public:
    PortParameterLink(LV2UI_Write_Function write, LV2UI_Controller controller)
        : write(write), controller(controller) {}

    // [ui thread] The ports' defaults stand until the host sends their values.
    float readParameter(std::int32_t index) override {
        return isControlIndex(index) ? values[index] : 0.0f;
    }
    // [ui thread] Remembered too: a host need not send back a value the UI wrote itself. What
    // the control shows for the port's value is not written: the form sends back a value it has
    // polled (see shownValue), and a host may take any write for the user's hand on the control
    // (and record it over automation).
    void writeParameter(std::int32_t index, float value) override {
        if (!isControlIndex(index) || value == values[index] ||
            value == shownValue(index, values[index]))
            return;
        values[index] = value;
        if (write != nullptr)
            write(controller, kFirstParameterPort + static_cast<std::uint32_t>(index),
                  sizeof(float), 0, &value);
    }

    // [ui thread]
    std::string valueText(std::int32_t index, float value) override {
        return controlValueText(index, value);
    }

    // [ui thread] A port event from the host; only plain floats of the controls' ports count.
    void portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format,
                   const void* buffer) {
        if (format != 0 || size != sizeof(float) || buffer == nullptr) return;
        if (port < kFirstParameterPort || port >= kFirstParameterPort + kControlCount) return;
        std::memcpy(&values[port - kFirstParameterPort], buffer, sizeof(float));
    }

  private:
    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    std::array<float, kControlCount> values = kParameterDefaults;
};
