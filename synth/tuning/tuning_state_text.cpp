#include "synth/tuning/tuning_state_text.h"

namespace {

std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

// Names are one line: whatever would break it becomes a space.
std::string oneLine(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c == '\n' || c == '\r') c = ' ';
    return out;
}

} // namespace

std::string tuningStateLines(const TuningSource& source) {
    std::string lines;
    for (const auto& [kind, file] :
         {std::pair{"scale", &source.scaleFile()}, std::pair{"keymap", &source.keymapFile()}}) {
        if (file->empty()) continue;
        lines += std::string(kind) + "-name " + oneLine(file->name) + "\n";
        lines += std::string(kind) + "-text " + escaped(file->text) + "\n";
    }
    return lines;
}

bool isTuningKeyword(std::string_view keyword) {
    return keyword == "scale-name" || keyword == "scale-text" || keyword == "keymap-name" ||
           keyword == "keymap-text";
}

TuningStateFiles readTuningStateLines(std::string_view text) {
    TuningStateFiles files;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t space = line.find(' ');
        const std::string_view keyword = line.substr(0, space);
        const std::string_view value =
            space == std::string_view::npos ? std::string_view{} : line.substr(space + 1);
        if (keyword == "scale-name") files.scale.name = std::string(value);
        if (keyword == "scale-text") files.scale.text = unescaped(value);
        if (keyword == "keymap-name") files.keymap.name = std::string(value);
        if (keyword == "keymap-text") files.keymap.text = unescaped(value);
    }
    return files;
}
