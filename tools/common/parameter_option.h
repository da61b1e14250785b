// --param NAME=VALUE, as both tools take it: the text parsed, and the parameter NAME picks by one
// set of rules whatever the instrument.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ParameterSetting {
    std::string name;      // as the user wrote it: a symbol, a name or an index
    std::string valueText; // as the user wrote it
    float value = 0.0f;
};

// "cutoff=0.3". Throws ToolError for anything but NAME=VALUE with VALUE a plain decimal number
// that a float holds; whether the parameter takes it is known only with the instrument.
ParameterSetting parseParameterSetting(const std::string& text);

// Throws UsageError "--param volume=40: volume takes -60 to 12" when `setting`'s value lies
// outside `minimum` to `maximum`; a bound that is not a number leaves that side open. `label`
// is the parameter as the instrument calls it.
void checkParameterValue(const ParameterSetting& setting, const std::string& label, float minimum,
                         float maximum);

// How an instrument calls one of its parameters. VST 2 parameters have a name only.
struct ParameterLabel {
    std::string symbol; // empty when the format has none
    std::string name;
};

// The index of the parameter that `wanted` picks among `parameters`, or nothing. The first rule
// that matches wins: a symbol, exactly; a name, exactly; a symbol or a name ignoring case; a
// decimal index from 0. A name made of digits ("8", a drawbar's footage) so wins over the index.
std::optional<std::int32_t> findParameter(const std::vector<ParameterLabel>& parameters,
                                          const std::string& wanted);

// The index of the parameter that `setting` names, by the rules of findParameter. Throws
// UsageError when it names none: "--param 99=0.5: no parameter with index 99 (0 to 22)" for
// digits, else "--param CutOf=0.3: no parameter 'CutOf' (the nearest: cutoff)", or, without a
// near name, the parameters there are.
std::int32_t pickParameter(const std::vector<ParameterLabel>& parameters,
                           const ParameterSetting& setting);
