// The editor's one way to the instrument: read a parameter's value, write a parameter as the user
// moves a control. Each front implements it over its own channel (the VST 2 front with its
// parameter entries and automation reports, an LV2 UI with port values).
#pragma once

#include <cstdint>
#include <string>

class ParameterLink {
  public:
    virtual ~ParameterLink() = default;
    // [ui thread] The value the instrument holds for control `index`: 0..15, and the playing
    // controls beyond when the form has its strip.
    virtual float readParameter(std::int32_t index) = 0;
    // [ui thread] The user moved the control of parameter `index` to `value`.
    virtual void writeParameter(std::int32_t index, float value) = 0;
    // [ui thread] Control `index`'s `value` as its text beside the control tells it, in the
    // control's own unit ("-6.0 dB"); empty for an index that is no control.
    virtual std::string valueText(std::int32_t index, float value) = 0;
};
