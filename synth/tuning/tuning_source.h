// The tuning files a front keeps: a Scala scale and a keyboard mapping, each as its name and its
// whole text, so that a saved session carries the tuning without the files themselves. Not for the
// audio thread: it reads files and allocates.
#pragma once

#include <optional>
#include <string>

#include "synth/tuning/keyboard_map.h"
#include "synth/tuning/scala_scale.h"
#include "synth/tuning/tuning_table.h"

struct TuningFile {
    std::string name; // as the user gave it, usually a path
    std::string text;

    bool empty() const { return name.empty() && text.empty(); }
};

class TuningSource {
  public:
    // Takes `file` as the scale, or as the keyboard mapping. A file that does not parse is
    // refused with its one-line error, and what stood before stays; an empty file removes it.
    std::string setScale(TuningFile file);
    std::string setKeymap(TuningFile file);
    // The same from the file at `path`; an empty path removes it.
    std::string loadScale(const std::string& path);
    std::string loadKeymap(const std::string& path);

    const TuningFile& scaleFile() const { return scaleIn; }
    const TuningFile& keymapFile() const { return keymapIn; }
    bool active() const { return !scaleIn.empty() || !keymapIn.empty(); }
    // The scale's description line; empty without a scale.
    const std::string& scaleDescription() const { return scale.description; }
    // What an editor calls the tuning: the scale's own line, else its file's name without its
    // folder; empty without a scale.
    std::string shownName() const {
        if (!scale.description.empty()) return scale.description;
        return scaleIn.name.substr(scaleIn.name.find_last_of('/') + 1);
    }
    // What the files give, the twelve equal steps standing in for a missing scale; nothing
    // without either file, where the instrument plays its own equal temperament.
    std::optional<TuningTable> table() const;

  private:
    TuningFile scaleIn, keymapIn;
    ScalaScale scale;
    KeyboardMap map;
};
