#include "tools/common/decimal_numbers.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "tools/common/tool_error.h"

namespace {

bool isDecimal(const std::string& text, bool fraction) {
    std::size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    std::size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9')
            ++digits;
        else if (fraction && text[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits > 0;
}

} // namespace

std::optional<std::int64_t> decimalInteger(const std::string& text) {
    if (!isDecimal(text, false)) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0) return std::nullopt;
    return value;
}

std::optional<double> decimalReal(const std::string& text) {
    if (!isDecimal(text, true)) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0') return std::nullopt;
    return value;
}

std::int64_t parseInteger(const std::string& option, const std::string& text, std::int64_t low,
                          std::int64_t high) {
    const std::optional<std::int64_t> value = decimalInteger(text);
    if (!value || *value < low || *value > high)
        throw ToolError(option + " takes a whole number from " + std::to_string(low) + " to " +
                        std::to_string(high) + ", not '" + text + "'");
    return *value;
}

double parseReal(const std::string& option, const std::string& text, double low, double high) {
    const std::optional<double> value = decimalReal(text);
    if (!value || !(*value >= low && *value <= high)) {
        char range[64];
        std::snprintf(range, sizeof range, "from %g to %g", low, high);
        throw ToolError(option + " takes a number " + range + ", not '" + text + "'");
    }
    return *value;
}
