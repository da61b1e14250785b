// --param as both tools take it: which parameter a NAME picks when rules compete, and the nearest
// names offered when it picks none.
#include <gtest/gtest.h>

#include <cmath>

#include "synth/control_names.h"
#include "synth/parameters.h"
#include "tools/common/nearest_names.h"
#include "tools/common/parameter_option.h"
#include "tools/common/tool_error.h"

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

// Parsing leaves the range to the instrument; the check then names it, and whichever of the
// parameter's bounds the instrument declares.
TEST(ParameterOption, AValueOutsideTheRangeGetsOneMessageThatSaysTheRange) {
    const auto errorOf = [](const std::string& text, float minimum, float maximum) {
        try {
            checkParameterValue(parseParameterSetting(text), "volume", minimum, maximum);
        } catch (const UsageError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(parseParameterSetting("volume=-6.5").value, -6.5f);
    EXPECT_EQ(errorOf("volume=40", -60.0f, 12.0f), "--param volume=40: volume takes -60 to 12");
    EXPECT_EQ(errorOf("Volume=-60.5", -60.0f, 12.0f),
              "--param Volume=-60.5: volume takes -60 to 12");
    EXPECT_EQ(errorOf("16=0.25", 0.5f, 12.0f), "--param 16=0.25: volume takes 0.5 to 12");
    for (const char* inside : {"volume=-60", "volume=12", "volume=0"})
        EXPECT_EQ(errorOf(inside, -60.0f, 12.0f), "no error") << inside;
    EXPECT_EQ(errorOf("volume=40", NAN, 12.0f), "--param volume=40: volume takes at most 12");
    EXPECT_EQ(errorOf("volume=-99", -60.0f, NAN), "--param volume=-99: volume takes at least -60");
    EXPECT_EQ(errorOf("volume=1000000", NAN, NAN), "no error");
}

// A slip of the keyboard finds the name meant: edits counted ignoring case, a swap of neighbours
// as one edit; names that share little with it are no hint, and at most three are offered.
TEST(NearestNames, TypingSlipsFindTheNameMeantAndFarNamesNone) {
    EXPECT_EQ(editDistance("Jaz Organ", "jazz organ"), 1u);
    EXPECT_EQ(editDistance("Jazz Orgna", "Jazz Organ"), 1u);
    EXPECT_EQ(editDistance("cutoff", "Cut-off"), 1u);
    EXPECT_EQ(editDistance("", "abc"), 3u);
    const auto shownAsWritten = [](std::vector<std::string> names) {
        std::vector<Spelling> spellings;
        for (const std::string& name : names)
            spellings.push_back({name, name});
        return spellings;
    };
    const std::vector<Spelling> presets =
        shownAsWritten({"Saw Lead", "Saw Pluck", "Glass Pad", "Jazz Organ", "Full Organ"});
    EXPECT_EQ(nearestNames("saw leed", presets), std::vector<std::string>{"Saw Lead"});
    EXPECT_EQ(nearestNames("Jaz Orgna", presets), std::vector<std::string>{"Jazz Organ"});
    EXPECT_EQ(nearestNames("Organ", presets), std::vector<std::string>{});
    EXPECT_EQ(nearestNames("x", shownAsWritten({"A", "D"})), std::vector<std::string>{});
    EXPECT_EQ(nearestNames("drawbar_9", shownAsWritten({"drawbar_2", "drawbar_4", "drawbar_8",
                                                        "drawbar_6", "drawbar_3"})),
              (std::vector<std::string>{"drawbar_2", "drawbar_4", "drawbar_8"}));
    // A parameter written by its name is shown by its symbol, once.
    EXPECT_EQ(nearestNames("Cut-of", {{"cutoff", "cutoff"}, {"Cut-off", "cutoff"}}),
              std::vector<std::string>{"cutoff"});
    EXPECT_EQ(listedNames({"a", "b", "c"}), "a, b and c");
}

TEST(ParameterOption, PickingNoneIsAUsageErrorThatSaysWhatThereIs) {
    const std::vector<ParameterLabel> labels = {{"cutoff", "Cut-off"}, {"resonance", "Resonance"}};
    const auto errorOf = [&](const std::string& text) {
        try {
            pickParameter(labels, parseParameterSetting(text));
        } catch (const UsageError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(errorOf("Cut-of=1"), "--param Cut-of=1: no parameter 'Cut-of' (the nearest: cutoff)");
    EXPECT_EQ(errorOf("drive=1"), "--param drive=1: no parameter 'drive' (it has 2: cutoff and "
                                  "resonance)");
    EXPECT_EQ(errorOf("2=1"), "--param 2=1: no parameter with index 2 (0 to 1)");
    EXPECT_EQ(errorOf("1=1"), "no error");
}

// The name meant comes first even where the table lists a farther one before it, and names as
// near as each other keep the table's order.
TEST(ParameterOption, TheNearestNameComesFirstAndTiesKeepTheTablesOrder) {
    std::vector<ParameterLabel> labels;
    for (std::size_t i = 0; i < kControlCount; ++i)
        labels.push_back({kParameterSymbols[i], kControlNames[i]});
    const auto firstSuggestion = [&](const std::string& wanted) {
        try {
            pickParameter(labels, parseParameterSetting(wanted + "=1"));
        } catch (const UsageError& e) {
            const std::string text = e.what();
            const std::size_t start = text.find("nearest: ");
            if (start == std::string::npos) return text;
            const std::size_t end = text.find_first_of(",)", start);
            return text.substr(start + 9, end - start - 9);
        }
        return std::string("no error");
    };
    EXPECT_EQ(firstSuggestion("cutof"), "cutoff");
    EXPECT_EQ(firstSuggestion("drawbar_33"), "drawbar_3"); // drawbar_2 and drawbar_4 are two away
    EXPECT_EQ(firstSuggestion("vibrato_rat"), "vibrato_rate");
    EXPECT_EQ(firstSuggestion("Sustian"), "sustain");

    const std::vector<Spelling> presets = {
        {"Full Organ", "Full Organ"}, {"Jazz Organ", "Jazz Organ"}, {"Jazz Organs", "Jazz Organs"}};
    EXPECT_EQ(nearestNames("Jaz Organ", presets),
              (std::vector<std::string>{"Jazz Organ", "Jazz Organs"}));
    EXPECT_EQ(nearestNames("drawbar_7", {{"drawbar_8", "drawbar_8"}, {"drawbar_6", "drawbar_6"}}),
              (std::vector<std::string>{"drawbar_8", "drawbar_6"}));
}
