// Suggestions for a name the user misspelt: the known names nearest to it by edit distance,
// ignoring case, so that "Jaz Organ" gets "Jazz Organ" and "CutOf" gets "cutoff".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One way of writing a name, and the name shown for it: a parameter is written by its symbol or
// its name, and shown by its symbol.
struct Spelling {
    std::string text;
    std::string shown;
};

// Edits (insertions, deletions, substitutions, swaps of neighbours) from `a` to `b`, ignoring
// ASCII case.
std::size_t editDistance(std::string_view a, std::string_view b);

// The shown names of the spellings nearest to `wanted`, at most `most`, nearest first, each
// once. A spelling counts only when few of its letters differ: at most a third of `wanted`'s
// (and two in any case), and fewer than either word has.
std::vector<std::string> nearestNames(std::string_view wanted,
                                      const std::vector<Spelling>& spellings, std::size_t most = 3);

// "a, b and c".
std::string listedNames(const std::vector<std::string>& names);
