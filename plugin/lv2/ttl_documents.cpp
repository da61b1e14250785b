#include "plugin/lv2/ttl_documents.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstddef>
#include <cstdint>
#include <map>

#include "editor/form_layout.h"
#include "editor/parameter_binding.h"
#include "plugin/lv2/turtle_literals.h"
#include "plugin/lv2/ulvodraw_uris.h"
#include "synth/identity.h"
#include "synth/parameters.h"

namespace {

#define ULVO_PREFIX(name, uri) "@prefix " name ": <" uri "> .\n"
constexpr const char* kCorePrefixes =
    ULVO_PREFIX("lv2", LV2_CORE_PREFIX) ULVO_PREFIX("pset", LV2_PRESETS_PREFIX)
        ULVO_PREFIX("rdfs", "http://www.w3.org/2000/01/rdf-schema#");
constexpr const char* kPluginPrefixes = ULVO_PREFIX("atom", LV2_ATOM_PREFIX)
    ULVO_PREFIX("bufsz", LV2_BUF_SIZE_PREFIX) ULVO_PREFIX("doap", "http://usefulinc.com/ns/doap#")
        ULVO_PREFIX("foaf", "http://xmlns.com/foaf/0.1/") ULVO_PREFIX("midi", LV2_MIDI_PREFIX)
            ULVO_PREFIX("opts", LV2_OPTIONS_PREFIX)
                ULVO_PREFIX("rdf", "http://www.w3.org/1999/02/22-rdf-syntax-ns#")
                    ULVO_PREFIX("state", LV2_STATE_PREFIX) ULVO_PREFIX("urid", LV2_URID_PREFIX);
#undef ULVO_PREFIX

const std::string kPresetBase = std::string(kPluginUri) + "/presets#";
constexpr const char* kBankSlug = "factory";
constexpr const char* kBankLabel = "Factory";

std::string iri(std::string_view uri) {
    std::string text = "<";
    return (text += uri) += '>';
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

// After a blank line: the preset's subject, type, plug-in and label.
std::string presetHead(const Preset& preset, const std::string& uri) {
    return std::string("\n") + iri(uri) + "\n\ta pset:Preset ;\n\tlv2:appliesTo " +
           iri(kPluginUri) + " ;\n\trdfs:label " + turtleString(preset.name) + " ;\n";
}

std::string port(const char* types, std::uint32_t index, const char* symbol, const char* name,
                 const std::string& more) {
    return std::string("[\n\t\ta ") + types + " ;\n\t\tlv2:index " + std::to_string(index) +
           " ;\n\t\tlv2:symbol " + turtleString(symbol) + " ;\n\t\tlv2:name " + turtleString(name) +
           " ;\n" + more + "\t]";
}

// Type and Wave are radio groups in the editor: their items are the only values they take.
std::string scalePoints(std::int32_t parameter) {
    const auto items = radioItems(parameter);
    if (items.empty()) return {};
    std::string text = "\t\tlv2:portProperty lv2:enumeration ;\n\t\tlv2:scalePoint ";
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto value =
            static_cast<float>(kBindings[parameter].valueAt(static_cast<std::int32_t>(i)));
        text += std::string(i ? " , " : "") + "[\n\t\t\trdfs:label " + turtleString(items[i]) +
                " ;\n\t\t\trdf:value " + turtleDecimal(value) + "\n\t\t]";
    }
    return text + " ;\n";
}

std::string controlPort(std::int32_t parameter) {
    const std::string range = "\t\tlv2:default " + turtleDecimal(kParameterDefaults[parameter]) +
                              " ;\n\t\tlv2:minimum 0.0 ;\n\t\tlv2:maximum 1.0 ;\n";
    return port("lv2:InputPort , lv2:ControlPort", kFirstParameterPort + parameter,
                kParameterSymbols[parameter], kParameterNames[parameter],
                range + scalePoints(parameter));
}

} // namespace

PresetUris presetUris(const std::vector<Preset>& presets) {
    PresetUris result;
    std::map<std::string, std::string> taken = {{kBankSlug, "the bank"}};
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
                        const std::string& binaryName) {
    // A UI, once there is one, is declared here beside the plug-in, with its own binary.
    std::string text = std::string(kCorePrefixes) + "\n" + iri(kPluginUri) +
                       "\n\ta lv2:Plugin ;\n\tlv2:binary " + iri(binaryName) +
                       " ;\n\trdfs:seeAlso <ulvodraw.ttl> .\n";
    for (std::size_t i = 0; i < presets.size(); ++i)
        text += presetHead(presets[i], uris[i]) + "\trdfs:seeAlso <presets.ttl> .\n";
    return text;
}

std::string pluginTtl() {
    const std::string minor = std::to_string(ULVO_VERSION_MINOR);
    const std::string release = std::to_string(ULVO_VERSION_MAJOR) + "." + minor + ".0";
    std::string text = std::string(kCorePrefixes) + kPluginPrefixes + "\n" + iri(kPluginUri) + "\n";
    text += "\ta lv2:InstrumentPlugin , lv2:Plugin ;\n";
    text += "\tdoap:name " + turtleString(kInstrumentName) + " ;\n";
    text += "\tdoap:license <https://spdx.org/licenses/MIT> ;\n";
    text += "\tdoap:maintainer [\n\t\ta foaf:Person ;\n";
    text += "\t\tfoaf:name " + turtleString(kVendorName) + "\n\t] ;\n";
    text += "\tlv2:project [\n\t\ta doap:Project ;\n";
    text += "\t\tdoap:name " + turtleString(kProductName) + " ;\n";
    text += "\t\tdoap:release [\n\t\t\ta doap:Version ;\n";
    text += "\t\t\tdoap:revision " + turtleString(release) + "\n\t\t]\n\t] ;\n";
    text += "\tlv2:minorVersion " + minor + " ;\n";
    text += "\tlv2:microVersion 0 ;\n";
    text += "\tlv2:requiredFeature urid:map ;\n";
    text += "\tlv2:optionalFeature lv2:hardRTCapable , bufsz:boundedBlockLength , opts:options ;\n";
    text += "\tlv2:extensionData state:interface ;\n";
    text += "\tlv2:port " + port("atom:AtomPort , lv2:InputPort", kMidiInPort, "midi_in", "MIDI In",
                                 "\t\tatom:bufferType atom:Sequence ;\n"
                                 "\t\tatom:supports midi:MidiEvent ;\n"
                                 "\t\tlv2:designation lv2:control ;\n");
    text += " , " +
            port("lv2:AudioPort , lv2:OutputPort", kOutputLeftPort, "out_1", kOutputNames[0], "");
    text += " , " +
            port("lv2:AudioPort , lv2:OutputPort", kOutputRightPort, "out_2", kOutputNames[1], "");
    for (std::int32_t parameter = 0; parameter < kParameterCount; ++parameter)
        text += " , " + controlPort(parameter);
    return text + " .\n";
}

std::string presetsTtl(const std::vector<Preset>& presets, const std::vector<std::string>& uris) {
    const std::string bank = kPresetBase + kBankSlug;
    std::string text = std::string(kCorePrefixes) + "\n" + iri(bank) +
                       "\n\ta pset:Bank ;\n\trdfs:label " + turtleString(kBankLabel) + " .\n";
    for (std::size_t i = 0; i < presets.size(); ++i) {
        text += presetHead(presets[i], uris[i]) + "\tpset:bank " + iri(bank) + " ;\n\tlv2:port ";
        // In the order a program is applied, so a host that follows the file does the same.
        for (std::size_t k = 0; k < kProgramApplyOrder.size(); ++k) {
            const std::int32_t parameter = kProgramApplyOrder[k];
            text += std::string(k ? " , " : "") + "[\n\t\tlv2:symbol " +
                    turtleString(kParameterSymbols[parameter]) + " ;\n\t\tpset:value " +
                    turtleDecimal(presets[i].values[parameter]) + "\n\t]";
        }
        text += " .\n";
    }
    return text;
}
