#include "plugin/lv2/ttl_documents.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/patch/patch.h>
#include <lv2/presets/presets.h>
#include <lv2/resize-port/resize-port.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string_view>
#include <utility>

#include "editor/form_layout.h"
#include "editor/parameter_binding.h"
#include "plugin/lv2/turtle_literals.h"
#include "plugin/lv2/ulvodraw_uris.h"
#include "synth/control_names.h"
#include "synth/identity.h"
#include "synth/parameters.h"

namespace {

struct Prefix {
    std::string_view name;
    const char* uri;
};
constexpr Prefix kPrefixes[] = {
    {"atom", LV2_ATOM_PREFIX},
    {"bufsz", LV2_BUF_SIZE_PREFIX},
    {"doap", "http://usefulinc.com/ns/doap#"},
    {"foaf", "http://xmlns.com/foaf/0.1/"},
    {"log", LV2_LOG_PREFIX},
    {"lv2", LV2_CORE_PREFIX},
    {"midi", LV2_MIDI_PREFIX},
    {"opts", LV2_OPTIONS_PREFIX},
    {"patch", LV2_PATCH_PREFIX},
    {"pset", LV2_PRESETS_PREFIX},
    {"rdf", "http://www.w3.org/1999/02/22-rdf-syntax-ns#"},
    {"rdfs", "http://www.w3.org/2000/01/rdf-schema#"},
    {"rsz", LV2_RESIZE_PORT_PREFIX},
    {"state", LV2_STATE_PREFIX},
    {"ui", LV2_UI_PREFIX},
    {"units", LV2_UNITS_PREFIX},
    {"urid", LV2_URID_PREFIX},
    {"work", LV2_WORKER_PREFIX},
};

const std::string kPresetBase = std::string(kPluginUri) + "/presets#";
// The bank of the presets that name no family; each family is a bank of its own.
constexpr const char* kBankSlug = "factory";
constexpr const char* kBankLabel = "Factory";

using Properties = std::vector<std::string>; // "predicate object", one a line

std::string prefixes(std::initializer_list<std::string_view> names) {
    std::string text;
    for (const Prefix& prefix : kPrefixes)
        for (const std::string_view name : names)
            if (name == prefix.name)
                text += "@prefix " + std::string(name) + ": <" + prefix.uri + "> .\n";
    return text;
}

std::string iri(std::string_view uri) {
    std::string text = "<";
    return (text += uri) += '>';
}

std::string join(const Properties& properties, int depth) {
    std::string text;
    for (std::size_t i = 0; i < properties.size(); ++i)
        text += (i ? " ;\n" : "") + std::string(depth, '\t') + properties[i];
    return text;
}

// A blank node, its properties one tab deeper than `depth`.
std::string node(const Properties& properties, int depth) {
    return "[\n" + join(properties, depth + 1) + "\n" + std::string(depth, '\t') + "]";
}

std::string objects(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i)
        text += (i ? " , " : "") + items[i];
    return text;
}

// After a blank line, so the statements of a file stand apart.
std::string statement(std::string_view subject, const Properties& properties) {
    return "\n" + iri(subject) + "\n" + join(properties, 1) + " .\n";
}

// Lower-case letters and digits, each run of anything else one dash.
std::string slugOf(std::string_view name) {
    std::string slug;
    bool gap = false;
    for (char c : name) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            if (gap && !slug.empty()) slug += '-';
            slug += c;
            gap = false;
        } else {
            gap = true;
        }
    }
    return slug;
}

// A family's bank: "Mallets and bells" gives #bank-mallets-and-bells.
std::string bankSlug(const Preset& preset) {
    return preset.family.empty() ? kBankSlug : "bank-" + slugOf(preset.family);
}

Properties presetHead(const Preset& preset) {
    return {"a pset:Preset", "lv2:appliesTo " + iri(kPluginUri),
            "rdfs:label " + turtleString(preset.name)};
}

Properties port(const char* types, std::uint32_t index, const char* symbol, const char* name) {
    return {std::string("a ") + types, "lv2:index " + std::to_string(index),
            "lv2:symbol " + turtleString(symbol), "lv2:name " + turtleString(name)};
}

// The LV2 unit of each control that has one; the classic parameters run from 0 to 1 without one.
const char* unitOf(std::int32_t control) {
    switch (control) {
    case Volume:
        return "units:db";
    case BendRange:
        return "units:semitone12TET";
    case VibratoRate:
        return "units:hz";
    case VibratoDepth:
        return "units:cent";
    case EnvScale:
        return "units:coef";
    default:
        return nullptr;
    }
}

std::string scalePoints(const std::vector<std::pair<std::string_view, float>>& points) {
    std::vector<std::string> nodes;
    for (const auto& [label, value] : points)
        nodes.push_back(
            node({"rdfs:label " + turtleString(label), "rdf:value " + turtleDecimal(value)}, 2));
    return "lv2:scalePoint " + objects(nodes);
}

Properties controlPort(std::int32_t control) {
    const ControlRange& range = kControlRanges[control];
    Properties properties = port("lv2:InputPort , lv2:ControlPort", kFirstParameterPort + control,
                                 kParameterSymbols[control], kControlNames[control]);
    properties.push_back("lv2:default " + turtleDecimal(kParameterDefaults[control]));
    properties.push_back("lv2:minimum " + turtleDecimal(range.minimum));
    properties.push_back("lv2:maximum " + turtleDecimal(range.maximum));
    if (const char* unit = unitOf(control)) properties.push_back(std::string("units:unit ") + unit);
    std::vector<std::pair<std::string_view, float>> points;
    if (range.kind == ValueKind::Choice) {
        for (std::size_t i = 0; i < choiceNames(control).size(); ++i)
            points.emplace_back(choiceNames(control)[i], static_cast<float>(i));
    } else if (control < kParameterCount) {
        // Type and Wave are radio groups in the editor: their items are the only values they
        // take.
        const auto items = radioItems(control);
        for (std::size_t i = 0; i < items.size(); ++i)
            points.emplace_back(items[i], static_cast<float>(kBindings[control].valueAt(
                                              static_cast<std::int32_t>(i))));
    }
    if (range.kind == ValueKind::Integer) properties.push_back("lv2:portProperty lv2:integer");
    if (points.empty()) return properties;
    properties.push_back(range.kind == ValueKind::Choice
                             ? "lv2:portProperty lv2:integer , lv2:enumeration"
                             : "lv2:portProperty lv2:enumeration");
    properties.push_back(scalePoints(points));
    return properties;
}

} // namespace

PresetUris presetUris(const std::vector<Preset>& presets) {
    PresetUris result;
    std::map<std::string, std::string> taken = {{kBankSlug, "the bank"}};
    for (const Preset& preset : presets)
        taken.emplace(bankSlug(preset), "the bank of " + turtleString(preset.family));
    for (const Preset& preset : presets) {
        const std::string slug = slugOf(preset.name);
        const std::string owner = "preset " + turtleString(preset.name);
        if (slug.empty()) {
            result.error = owner + " has no letter or digit to make its URI from";
            return result;
        }
        if (const auto [at, added] = taken.emplace(slug, owner); !added) {
            result.error = owner + " would have the URI of " + at->second + " (#" + slug + ")";
            return result;
        }
        result.uris.push_back(kPresetBase + slug);
    }
    return result;
}

std::string manifestTtl(const std::vector<Preset>& presets, const std::vector<std::string>& uris,
                        const std::string& binaryName, const std::string& uiBinaryName) {
    std::string text = prefixes({"lv2", "pset", "rdfs", "ui"}) +
                       statement(kPluginUri, {"a lv2:Plugin", "lv2:binary " + iri(binaryName),
                                              "rdfs:seeAlso <ulvodraw.ttl>"});
    // The UI's binary here, so that a host finds it without loading the plug-in's description.
    if (!uiBinaryName.empty())
        text += statement(kUiUri, {"a ui:X11UI", "ui:binary " + iri(uiBinaryName),
                                   "rdfs:seeAlso <ulvodraw.ttl>"});
    for (std::size_t i = 0; i < presets.size(); ++i) {
        Properties preset = presetHead(presets[i]);
        preset.push_back("rdfs:seeAlso <presets.ttl>");
        text += statement(uris[i], preset);
    }
    return text;
}

std::string pluginTtl(bool withUi) {
    const std::string minor = std::to_string(ULVO_VERSION_MINOR);
    const std::string micro = std::to_string(ULVO_VERSION_PATCH);
    Properties midiIn = port("atom:AtomPort , lv2:InputPort", kMidiInPort, "midi_in", "MIDI In");
    midiIn.insert(midiIn.end(),
                  {"atom:bufferType atom:Sequence", "atom:supports midi:MidiEvent , patch:Message",
                   "lv2:designation lv2:control"});
    std::vector<std::string> ports = {
        node(midiIn, 1),
        node(port("lv2:AudioPort , lv2:OutputPort", kOutputLeftPort, "out_1", kOutputNames[0]), 1),
        node(port("lv2:AudioPort , lv2:OutputPort", kOutputRightPort, "out_2", kOutputNames[1]),
             1)};
    for (std::int32_t control = 0; control < kControlCount; ++control)
        ports.push_back(node(controlPort(control), 1));
    // Room for the two paths and the scale's own line at their longest.
    Properties notify = port("atom:AtomPort , lv2:OutputPort", kNotifyPort, "notify", "Notify");
    notify.insert(notify.end(), {"atom:bufferType atom:Sequence", "atom:supports patch:Message",
                                 "lv2:designation lv2:control", "rsz:minimumSize 8192"});
    ports.push_back(node(notify, 1));

    // doap:maintainer belongs to a doap:Project, so the vendor sits on the project.
    const std::string project = node(
        {"a doap:Project", "doap:name " + turtleString(kProductName),
         "doap:maintainer " + node({"a foaf:Person", "foaf:name " + turtleString(kVendorName)}, 2),
         "doap:release " +
             node({"a doap:Version", "doap:revision " + turtleString(ULVO_VERSION)}, 2)},
        1);
    Properties plugin = {
        "a lv2:InstrumentPlugin , lv2:Plugin",
        "doap:name " + turtleString(kInstrumentName),
        "doap:license <https://spdx.org/licenses/MIT>",
        "lv2:project " + project,
        "lv2:minorVersion " + minor,
        "lv2:microVersion " + micro,
        "lv2:requiredFeature urid:map",
        "lv2:optionalFeature lv2:hardRTCapable , bufsz:boundedBlockLength , opts:options , "
        "work:schedule , log:log",
        "lv2:extensionData state:interface , work:interface",
        "patch:writable " + iri(kScaleUri) + " , " + iri(kKeymapUri),
        "patch:readable " + iri(kScaleDescriptionUri),
        "lv2:port " + objects(ports)};
    std::string text =
        prefixes({"atom", "bufsz", "doap", "foaf", "log", "lv2", "midi", "opts", "patch", "rdf",
                  "rdfs", "rsz", "state", "ui", "units", "urid", "work"});
    // The tuning's files, which a host offers to choose with its file chooser.
    text += statement(kScaleUri, {"a lv2:Parameter", "rdfs:label \"Scale (Scala .scl)\"",
                                  "rdfs:range atom:Path"});
    text += statement(kKeymapUri, {"a lv2:Parameter", "rdfs:label \"Keyboard mapping (.kbm)\"",
                                   "rdfs:range atom:Path"});
    text += statement(kScaleDescriptionUri, {"a lv2:Parameter", "rdfs:label \"Scale description\"",
                                             "rdfs:range atom:String"});
    if (!withUi) return text + statement(kPluginUri, plugin);
    plugin.push_back("ui:ui " + iri(kUiUri));
    // Embedded in the host's window and run from its idle calls; the form has one size per
    // scale factor, which the user cannot change.
    return text + statement(kPluginUri, plugin) +
           statement(kUiUri,
                     {"a ui:X11UI", "lv2:requiredFeature ui:idleInterface , ui:parent",
                      "lv2:optionalFeature ui:noUserResize , ui:resize , opts:options , "
                      "urid:map",
                      "lv2:extensionData ui:idleInterface", "opts:supportedOption ui:scaleFactor",
                      "ui:portNotification " +
                          node({"ui:plugin " + iri(kPluginUri), "lv2:symbol \"notify\"",
                                "ui:protocol atom:eventTransfer"},
                               1)});
}

std::string presetsTtl(const std::vector<Preset>& presets, const std::vector<std::string>& uris) {
    std::string text = prefixes({"lv2", "pset", "rdfs"});
    std::vector<std::string> banks; // slugs, in the order their first preset comes
    for (const Preset& preset : presets) {
        const std::string slug = bankSlug(preset);
        if (std::find(banks.begin(), banks.end(), slug) != banks.end()) continue;
        banks.push_back(slug);
        const std::string label = preset.family.empty() ? kBankLabel : preset.family;
        text += statement(kPresetBase + slug, {"a pset:Bank", "rdfs:label " + turtleString(label)});
    }
    for (std::size_t i = 0; i < presets.size(); ++i) {
        // Every control, the playing controls a preset leaves out at their defaults, so that a
        // preset sounds the same whatever was set before it; in the order a program applies its
        // values, for hosts that follow the file's order.
        std::vector<std::string> values;
        for (const std::int32_t control : kControlApplyOrder)
            values.push_back(node({"lv2:symbol " + turtleString(kParameterSymbols[control]),
                                   "pset:value " + turtleDecimal(presets[i].values[control])},
                                  1));
        Properties preset = presetHead(presets[i]);
        // The label stays the preset's name alone, as tools and programs know it; the family is
        // the bank, and the line that says how it sounds the comment hosts show beside it.
        if (!presets[i].description.empty())
            preset.push_back("rdfs:comment " + turtleString(presets[i].description));
        preset.push_back("pset:bank " + iri(kPresetBase + bankSlug(presets[i])));
        preset.push_back("lv2:port " + objects(values));
        text += statement(uris[i], preset);
    }
    return text;
}
