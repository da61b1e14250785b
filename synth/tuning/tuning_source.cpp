#include "synth/tuning/tuning_source.h"

#include <utility>

#include "synth/tuning/text_file.h"

namespace {

// What Scala plays without a scale: twelve equal steps to the octave.
ScalaScale twelveEqualSteps() {
    ScalaScale scale;
    for (int step = 1; step <= 12; ++step)
        scale.cents.push_back(100.0 * step);
    return scale;
}

} // namespace

std::string TuningSource::setScale(TuningFile file) {
    if (file.empty()) {
        scaleIn = {};
        scale = {};
        return {};
    }
    ScalaScale parsed = parseScalaScale(file.text, file.name);
    if (!parsed.error.empty()) return parsed.error;
    scaleIn = std::move(file);
    scale = std::move(parsed);
    return {};
}

std::string TuningSource::setKeymap(TuningFile file) {
    if (file.empty()) {
        keymapIn = {};
        map = {};
        return {};
    }
    KeyboardMap parsed = parseKeyboardMap(file.text, file.name);
    if (!parsed.error.empty()) return parsed.error;
    keymapIn = std::move(file);
    map = std::move(parsed);
    return {};
}

std::string TuningSource::loadScale(const std::string& path) {
    if (path.empty()) return setScale({});
    TextFile file = readTextFile(path);
    if (!file.error.empty()) return file.error;
    return setScale({path, std::move(file.text)});
}

std::string TuningSource::loadKeymap(const std::string& path) {
    if (path.empty()) return setKeymap({});
    TextFile file = readTextFile(path);
    if (!file.error.empty()) return file.error;
    return setKeymap({path, std::move(file.text)});
}

std::optional<TuningTable> TuningSource::table() const {
    if (!active()) return std::nullopt;
    return tuningTable(scaleIn.empty() ? twelveEqualSteps() : scale, map);
}
