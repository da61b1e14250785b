#include "synth/tuning/scala_scale.h"

#include <cmath>
#include <cstdint>

#include "synth/tuning/tuning_text.h"

using namespace tuning_text;

namespace {

// Numerators and denominators up to this are read exactly; the format asks for 2^31 - 1.
constexpr std::uint64_t kMaxRatioTerm = 1ull << 53;

// The digits of `word` as a number; false when it has anything else or is too large.
bool ratioTerm(std::string_view word, std::uint64_t& value) {
    if (word.empty()) return false;
    value = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > kMaxRatioTerm) return false;
    }
    return true;
}

// One degree's first word in cents, or the reason it is not a degree.
std::string degreeCents(std::string_view word, double& cents) {
    if (word.find('.') != std::string_view::npos) {
        switch (parseDecimal(word, cents)) {
        case Parsed::Ok:
            return "";
        case Parsed::OutOfRange:
            return "the cents value " + quoted(word) + " is not finite";
        case Parsed::NotANumber:
            break;
        }
        return quoted(word) + " is not a number of cents";
    }
    if (!word.empty() && word[0] == '-') return "the ratio " + quoted(word) + " is negative";
    const std::size_t slash = word.find('/');
    std::uint64_t numerator = 0;
    std::uint64_t denominator = 1;
    const bool read = slash == std::string_view::npos
                          ? ratioTerm(word, numerator)
                          : ratioTerm(word.substr(0, slash), numerator) &&
                                ratioTerm(word.substr(slash + 1), denominator);
    if (!read) return quoted(word) + " is neither cents (with a period) nor a ratio";
    if (numerator == 0 || denominator == 0)
        return "the ratio " + quoted(word) + " is zero or divides by zero";
    cents = 1200.0 * (std::log2(static_cast<double>(numerator)) -
                      std::log2(static_cast<double>(denominator)));
    return "";
}

ScalaScale failed(std::string_view fileName, int lineNumber, std::string_view what) {
    ScalaScale scale;
    scale.error = lineError(fileName, lineNumber, what);
    return scale;
}

} // namespace

ScalaScale parseScalaScale(std::string_view text, std::string_view fileName) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return failed(fileName, 1, "the file is empty");
    Lines lines(text);
    Line line;
    if (!lines.next(line, false))
        return failed(fileName, lines.endNumber(), "the file ends before the description line");
    ScalaScale scale;
    scale.description = std::string(trimmed(line.text));

    if (!lines.next(line, true))
        return failed(fileName, lines.endNumber(), "the file ends before the number of notes");
    const std::string_view countWord = firstWord(line.text);
    std::int64_t count = 0;
    if (parseInteger(countWord, count) == Parsed::NotANumber)
        return failed(fileName, line.number,
                      "the number of notes " + quoted(countWord) + " is not a whole number");
    if (count < 0 || count > kMaxScaleDegrees)
        return failed(fileName, line.number,
                      "the number of notes " + quoted(countWord) + " is outside 0 to " +
                          std::to_string(kMaxScaleDegrees));

    scale.cents.reserve(static_cast<std::size_t>(count));
    while (lines.next(line, true)) {
        if (scale.cents.size() == static_cast<std::size_t>(count))
            return failed(fileName, line.number,
                          "a degree beyond the " + std::to_string(count) + " the file announces");
        double cents = 0.0;
        const std::string problem = degreeCents(firstWord(line.text), cents);
        if (!problem.empty()) return failed(fileName, line.number, problem);
        scale.cents.push_back(cents);
    }
    if (scale.cents.size() != static_cast<std::size_t>(count))
        return failed(fileName, lines.endNumber(),
                      "the file ends after " + std::to_string(scale.cents.size()) + " of its " +
                          std::to_string(count) + " degrees");
    return scale;
}
