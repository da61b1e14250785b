// --param as both tools take it: which parameter a NAME picks when rules compete.
#include <gtest/gtest.h>

#include "tools/common/parameter_option.h"

TEST(ParameterOption, EachRuleWinsOverTheNextWhateverTheOrderOfTheParameters) {
    // Each of these could be picked by two rules; the earlier rule decides.
    const std::vector<ParameterLabel> labels = {
        {"cutoff", "Q"}, // 0
        {"q", "CutOff"}, // 1
        {"", "3"},       // 2: VST 2 style, a name only, made of digits
        {"drive", "Drive"},
    };
    const struct {
        const char* wanted;
        std::optional<std::int32_t> index;
    } rows[] = {
        {"q", 1},      // a symbol before a name that differs only in case (0's "Q")
        {"Q", 0},      // a name before a symbol that differs only in case (1's "q")
        {"CutOff", 1}, // a name before a symbol ignoring case (0's "cutoff")
        {"CUTOFF", 0}, // ignoring case, the first in index order
        {"DRIVE", 3},  // a symbol or a name ignoring case
        {"3", 2},      // a name before the index
        {"2", 2},      // an index
        {"01", 1},     // an index with a leading zero
        {"4", std::nullopt},
        {"-0", std::nullopt},
        {"+1", std::nullopt},
        {" 1", std::nullopt},
        {"", std::nullopt}, // matches no empty symbol
        {"Cut", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(findParameter(labels, row.wanted), row.index) << "'" << row.wanted << "'";
    EXPECT_EQ(findParameter({}, "0"), std::nullopt);
}

TEST(ParameterOption, TheValueFollowsTheLastEqualsSign) {
    const ParameterSetting setting = parseParameterSetting("a=b=0.25");
    EXPECT_EQ(setting.name, "a=b");
    EXPECT_EQ(setting.value, 0.25f);
}
