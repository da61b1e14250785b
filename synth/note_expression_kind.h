// The expressions a front that addresses notes one by one (CLAP) can give a single key: its
// tuning and its level, apart from the bend and volume that move every voice. Kept apart from the
// voices' own state (synth/note_expression.h), so that the instrument's entries need no voice
// layout.
#pragma once

#include <cstdint>

enum class NoteExpression : std::int32_t {
    Tuning, // semitones, -120 to 120
    Volume, // a gain, 0 to 4
};

// The factor an expression's value multiplies the pitch or the gain by, held within its range;
// 1 for a value that is not a number.
double noteExpressionFactor(NoteExpression kind, double value);
