#include "tools/common/nearest_names.h"

#include <algorithm>

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::size_t editDistance(std::string_view a, std::string_view b) {
    // Three rows of the table: two back for a swap, the one before, and the one being filled.
    std::vector<std::size_t> twoBack(b.size() + 1), previous(b.size() + 1), row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        previous[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const bool same = lower(a[i - 1]) == lower(b[j - 1]);
            row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (same ? 0 : 1)});
            if (i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2]) &&
                lower(a[i - 2]) == lower(b[j - 1]))
                row[j] = std::min(row[j], twoBack[j - 2] + 1);
        }
        std::swap(twoBack, previous);
        std::swap(previous, row);
    }
    return previous[b.size()];
}

std::vector<std::string> nearestNames(std::string_view wanted,
                                      const std::vector<Spelling>& spellings, std::size_t most) {
    const std::size_t allowed = std::max<std::size_t>(2, wanted.size() / 3);
    struct Near {
        std::size_t distance;
        std::size_t order;
        const std::string* shown;
    };
    std::vector<Near> near;
    for (std::size_t i = 0; i < spellings.size(); ++i) {
        const Spelling& s = spellings[i];
        const std::size_t d = editDistance(wanted, s.text);
        if (d <= allowed && d < std::min(wanted.size(), s.text.size()))
            near.push_back({d, i, &s.shown});
    }
    std::sort(near.begin(), near.end(), [](const Near& x, const Near& y) {
        return x.distance != y.distance ? x.distance < y.distance : x.order < y.order;
    });
    std::vector<std::string> names;
    for (const Near& n : near) {
        if (names.size() == most) break;
        if (std::find(names.begin(), names.end(), *n.shown) == names.end())
            names.push_back(*n.shown);
    }
    return names;
}

std::string listedNames(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}
