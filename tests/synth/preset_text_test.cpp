#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "synth/preset_text.h"

namespace {

// `[name]` and every symbol at 0.5, one a line, leaving out the last `omit` symbols.
std::string section(const std::string& name, int omit = 0) {
    std::string text = "[" + name + "]\n";
    for (int i = 0; i < kParameterCount - omit; ++i)
        text += std::string(kParameterSymbols[i]) + " = 0.5\n";
    return text;
}

TEST(PresetText, TheFactoryFileParsesWithUniqueNames) {
    std::ifstream in(ULVO_FACTORY_PRESETS);
    std::stringstream text;
    text << in.rdbuf();
    const PresetParse parse = parsePresets(text.str());
    ASSERT_EQ(parse.error, "");
    EXPECT_GE(parse.presets.size(), 24u);
    std::set<std::string> names;
    for (const Preset& preset : parse.presets)
        names.insert(preset.name);
    EXPECT_EQ(names.size(), parse.presets.size());
    // Every preset in a family, each family's presets together, as lists show them.
    std::vector<std::string> families;
    for (const Preset& preset : parse.presets) {
        EXPECT_NE(preset.family, "") << preset.name;
        EXPECT_NE(preset.description, "") << preset.name;
        if (families.empty() || families.back() != preset.family) {
            EXPECT_EQ(std::count(families.begin(), families.end(), preset.family), 0)
                << preset.name << " is apart from the rest of " << preset.family;
            families.push_back(preset.family);
        }
    }
    EXPECT_EQ(families.size(), 7u);

    const Preset* organ = findPreset(parse.presets, "classic ORGAN");
    ASSERT_NE(organ, nullptr);
    EXPECT_EQ(organ->name, "Classic Organ");
    EXPECT_EQ(organ->values[CutOff], 0.95f);
    EXPECT_EQ(organ->values[Drawbar8], 0.18f);
    EXPECT_EQ(findPreset(parse.presets, "Classic Organ 2"), nullptr);
}

TEST(PresetText, ToleratesSpacingCommentsAndCarriageReturns) {
    const std::string name(23, 'n');
    std::string text = "  # note\r\n[ " + name + " ]\r\n";
    for (int i = 0; i < kParameterCount; ++i)
        text +=
            std::string("\t") + kParameterSymbols[i] + "=" + (i == Wave ? "1" : "0.5") + " \r\n";
    const PresetParse parse = parsePresets(text);
    ASSERT_EQ(parse.error, "");
    ASSERT_EQ(parse.presets.size(), 1u);
    EXPECT_EQ(parse.presets[0].name, name);
    EXPECT_EQ(parse.presets[0].values[Wave], 1.0f);
    EXPECT_EQ(parse.presets[0].values[Smooth], 0.5f);
}

// The playing controls are optional: one given keeps its value, one left out gets its default.
TEST(PresetText, PlayingControlsTakeTheirOwnRangeAndThoseLeftOutTheirDefaults) {
    const PresetParse parse =
        parsePresets(section("Bell") +
                     "env_scale = 16\nvolume = -60\nbend_range = 24\nenv_curve = 0\n"
                     "family =  Mallets and bells \ndescription = Struck = rings out \n" +
                     section("Plain"));
    ASSERT_EQ(parse.error, "");
    ASSERT_EQ(parse.presets.size(), 2u);
    std::array<float, kControlCount> bell = kParameterDefaults, plain = kParameterDefaults;
    for (std::int32_t index = 0; index < kParameterCount; ++index)
        bell[index] = plain[index] = 0.5f;
    bell[EnvScale] = 16.0f;
    bell[Volume] = -60.0f;
    bell[BendRange] = 24.0f;
    bell[EnvCurve] = LinearCurve;
    EXPECT_EQ(parse.presets[0].values, bell);
    EXPECT_EQ(parse.presets[1].values, plain);
    EXPECT_EQ(parse.presets[0].family, "Mallets and bells");
    EXPECT_EQ(parse.presets[1].family, "");
    EXPECT_EQ(parse.presets[0].description, "Struck = rings out");
    EXPECT_EQ(parse.presets[1].description, "");
}

TEST(PresetText, FindPrefersTheExactName) {
    const std::vector<Preset> presets = {{"lead", {}, {}, {}}, {"Lead", {}, {}, {}}};
    EXPECT_EQ(findPreset(presets, "Lead"), &presets[1]);
    EXPECT_EQ(findPreset(presets, "LEAD"), &presets[0]);
}

TEST(PresetText, EachFaultNamesItsLine) {
    const std::string head = section("Organ", 1); // lines 1 to 16, smooth missing
    const struct {
        std::string text, error;
    } cases[] = {
        {"attack = 0.5\n", "line 1: a value before the first [name] section"},
        {"# x\n[Organ\n", "line 2: a section header ends with ']'"},
        {"[  ]\n", "line 1: empty preset name"},
        {"[" + std::string(24, 'x') + "]\n",
         "line 1: preset name \"" + std::string(24, 'x') + "\" is longer than 23 characters"},
        {section("Organ") + "\n[ORGAN]\n", "line 19: preset name \"ORGAN\" is taken on line 1"},
        {head + "smooth 0.5\n", "line 17: expected symbol = value"},
        {head + "smoth = 0.5\n", "line 17: unknown symbol \"smoth\""},
        {section("Organ") + "attack = 0\n", "line 18: \"attack\" given twice"},
        {head + "smooth = 0.5x\n", "line 17: \"0.5x\" is not a number"},
        {head + "smooth =\n", "line 17: \"\" is not a number"},
        {head + "smooth = +0.5\n", "line 17: \"+0.5\" is not a number"},
        {head + "smooth = inf\n", "line 17: \"inf\" is not finite"},
        {head + "smooth = nan\n", "line 17: \"nan\" is not finite"},
        {head + "smooth = 1e99\n", "line 17: \"1e99\" is beyond a float's range"},
        {head + "smooth = 1.0001\n", "line 17: 1.0001 is outside 0 to 1 for smooth"},
        {head + "smooth = -0.001\n", "line 17: -0.001 is outside 0 to 1 for smooth"},
        {section("Organ") + "volume = 40\n", "line 18: 40 is outside -60 to 12 for volume"},
        {section("Organ") + "volume = -60.5\n", "line 18: -60.5 is outside -60 to 12 for volume"},
        {section("Organ") + "vibrato_rate = 0.4\n",
         "line 18: 0.4 is outside 0.5 to 12 for vibrato_rate"},
        {section("Organ") + "env_scale = 16.5\n", "line 18: 16.5 is outside 1 to 16 for env_scale"},
        {section("Organ") + "bend_range = 2.5\n",
         "line 18: 2.5 is not a whole number for bend_range"},
        {section("Organ") + "env_curve = 0.5\n",
         "line 18: 0.5 is not a whole number for env_curve"},
        {section("Organ") + "env_curve = 2\n", "line 18: 2 is outside 0 to 1 for env_curve"},
        {section("Organ") + "volume = -6\nvolume = -6\n", "line 19: \"volume\" given twice"},
        {"[Organ]\nvolume = -6\n", "line 1: \"Organ\" lacks attack"},
        {head + "family =\n", "line 17: family needs a name"},
        {head + "family = Organs\nfamily = Pads\n", "line 18: family given twice"},
        {head + "family = " + std::string(41, 'f') + "\n",
         "line 17: family name \"" + std::string(41, 'f') + "\" is longer than 40 characters"},
        {head + "[Next]\n", "line 1: \"Organ\" lacks smooth"},
        {section("A") + section("B", 3), "line 18: \"B\" lacks drawbar_3"},
    };
    for (const auto& c : cases) {
        const PresetParse parse = parsePresets(c.text);
        EXPECT_EQ(parse.error, c.error) << c.text;
        EXPECT_TRUE(parse.presets.empty()) << c.text;
    }
}

// A description is one line of words, given once.
TEST(PresetText, DescriptionFaultsNameTheirLine) {
    const std::string head = section("Organ");
    const std::string tooLong = head + "description = " + std::string(101, 'd');
    EXPECT_EQ(parsePresets(head + "description =\n").error, "line 18: description needs words");
    EXPECT_EQ(parsePresets(head + "description = a\ndescription = b\n").error,
              "line 19: description given twice");
    EXPECT_EQ(parsePresets(tooLong).error, "line 18: description is longer than 100 characters");
    EXPECT_EQ(parsePresets(tooLong.substr(0, tooLong.size() - 1)).error, "");
}

} // namespace
