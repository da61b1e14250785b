#include "synth/tuning/tuning_table.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace {

std::int64_t floorDivide(std::int64_t a, std::int64_t b) {
    const std::int64_t quotient = a / b;
    return quotient * b > a ? quotient - 1 : quotient;
}

// Cents of any degree above or below 1/1: whole periods plus a degree of the scale.
double degreeCents(const ScalaScale& scale, std::int64_t degree) {
    const auto size = static_cast<std::int64_t>(scale.cents.size());
    if (size == 0) return 0.0;
    const std::int64_t periods = floorDivide(degree, size);
    const std::int64_t step = degree - periods * size;
    const double stepCents = step == 0 ? 0.0 : scale.cents[static_cast<std::size_t>(step - 1)];
    return static_cast<double>(periods) * scale.periodCents() + stepCents;
}

// Cents of `note` above degree 0 on the middle note; none for an unmapped key.
std::optional<double> noteCents(const ScalaScale& scale, const KeyboardMap& map, int note) {
    const std::int64_t offset = note - map.middleNote;
    if (map.mapSize == 0) return degreeCents(scale, offset);
    const std::int64_t repeats = floorDivide(offset, map.mapSize);
    const int degree = map.degrees[static_cast<std::size_t>(offset - repeats * map.mapSize)];
    if (degree == kUnmappedKey) return std::nullopt;
    const std::int64_t octaveDegree =
        map.octaveDegree == 0 ? static_cast<std::int64_t>(scale.cents.size()) : map.octaveDegree;
    return degreeCents(scale, degree) +
           static_cast<double>(repeats) * degreeCents(scale, octaveDegree);
}

} // namespace

double equalTemperamentHz(int note) {
    return 440.0 * std::exp2((note - 69) / 12.0);
}

TuningTable equalTemperamentTable() {
    TuningTable table;
    for (int note = 0; note < kTuningNotes; ++note) {
        table.hz[note] = equalTemperamentHz(note);
        table.sounds[note] = true;
    }
    return table;
}

TuningTable tuningTable(const ScalaScale& scale, const KeyboardMap& map) {
    TuningTable table = equalTemperamentTable();
    const bool mapUsable =
        map.mapSize == 0 || map.degrees.size() == static_cast<std::size_t>(map.mapSize);
    if (!scale.error.empty() || !map.error.empty() || !mapUsable) return table;
    const std::optional<double> referenceCents = noteCents(scale, map, map.referenceNote);
    if (!referenceCents) return table;
    for (int note = 0; note < kTuningNotes; ++note) {
        const std::optional<double> cents = noteCents(scale, map, note);
        if (!cents || note < map.firstNote || note > map.lastNote) {
            table.sounds[note] = false;
            continue;
        }
        const double hz = map.referenceHz * std::exp2((*cents - *referenceCents) / 1200.0);
        if (std::isfinite(hz) && hz > 0.0)
            table.hz[note] = hz;
        else
            table.sounds[note] = false;
    }
    return table;
}
