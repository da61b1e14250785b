// Reading the line-based text of Scala files: lines ended by LF, CR LF or CR, numbered from 1,
// `!` comment lines, and number fields that end at the first blank (what follows is ignored).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tuning_text {

struct Line {
    std::string_view text; // without its line end
    int number = 0;        // from 1
};

// The lines of a text in order, leaving out `!` comments (a `!` after leading blanks too).
class Lines {
  public:
    explicit Lines(std::string_view text) : text(text) {}

    // The next line that is not a comment and, when `skipBlank`, not blank; false at the end.
    bool next(Line& line, bool skipBlank);
    // The number a line after the last would have: where "the file ends" is reported.
    int endNumber() const { return lastNumber + 1; }

  private:
    std::string_view text;
    std::size_t position = 0;
    int lastNumber = 0;
};

// `text` without blanks (spaces and tabs) at either end.
std::string_view trimmed(std::string_view text);
// The first blank-delimited word of `text`; empty when there is none.
std::string_view firstWord(std::string_view text);

enum class Parsed { Ok, NotANumber, OutOfRange };

// A whole number, optionally signed, spelled by all of `word`. Values beyond +-10^15 are out of
// range, which every caller rejects anyway.
Parsed parseInteger(std::string_view word, std::int64_t& value);
// A decimal number (a period and an exponent allowed) spelled by all of `word`; out of range
// when it does not fit a finite double.
Parsed parseDecimal(std::string_view word, double& value);

// "NAME: line N: what" — the one form of every error of the tuning files.
std::string lineError(std::string_view fileName, int lineNumber, std::string_view what);
// `word` in quotes for an error message, cut to a readable length.
std::string quoted(std::string_view word);

} // namespace tuning_text
