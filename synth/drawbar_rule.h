// How the drawbar weights follow the drawbar levels.
#pragma once

enum class DrawbarRule {
    // The VST 2 build's rule: a change recomputes only the fundamental's weight and the moved
    // drawbar's, from the sum of that moment, so the weights depend on the order of changes.
    // Sounds saved by VST 2 hosts were made this way.
    Classic,
    // Every change recomputes all seven weights from the six current levels: a sound follows the
    // drawbar positions alone. Settled, the classic rule gives the same weights.
    Positions,
};
