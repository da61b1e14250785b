#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "synth/tuning/keyboard_map.h"
#include "synth/tuning/scala_scale.h"
#include "synth/tuning/text_file.h"

namespace {

TEST(ScalaScale, ReadsCentsRatiosWholeNumbersAndIgnoresWhatFollows) {
    const ScalaScale scale =
        parseScalaScale("! just.scl\r\n!\r\n  Just major  \r\n 4\r\n!\r\n 203.910 cents\r\n"
                        "5/4 major third\r\n\r\n\t3/2\r\n 2\r\n! done\r\n",
                        "just.scl");
    ASSERT_EQ(scale.error, "");
    EXPECT_EQ(scale.description, "Just major");
    ASSERT_EQ(scale.cents.size(), 4u);
    EXPECT_DOUBLE_EQ(scale.cents[0], 203.910);
    EXPECT_NEAR(scale.cents[1], 386.3137139, 1e-6);
    EXPECT_NEAR(scale.cents[2], 701.9550009, 1e-6);
    EXPECT_EQ(scale.periodCents(), 1200.0);

    const ScalaScale unison = parseScalaScale("\n0\n", "unison.scl");
    EXPECT_EQ(unison.error, "");
    EXPECT_EQ(unison.description, "");
    EXPECT_EQ(unison.periodCents(), 0.0);
}

TEST(ScalaScale, DamagedFilesNameFileLineAndFault) {
    const std::string huge = std::string(400, '9') + ".0";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {" \n\n", "line 1: the file is empty"},
        {"! a\n! b\n", "line 3: the file ends before the description line"},
        {"desc\n", "line 2: the file ends before the number of notes"},
        {"desc\n twelve\n", "line 2: the number of notes \"twelve\" is not a whole number"},
        {"desc\n2000\n", "line 2: the number of notes \"2000\" is outside 0 to 1024"},
        {"desc\n3\n100.0\n2/1\n", "line 5: the file ends after 2 of its 3 degrees"},
        {"desc\n1\n2/1\n3/2\n", "line 4: a degree beyond the 1 the file announces"},
        {"desc\n2\n! c\n-3/2\n2/1\n", "line 4: the ratio \"-3/2\" is negative"},
        {"desc\n1\n0/1\n", "line 3: the ratio \"0/1\" is zero or divides by zero"},
        {"desc\n1\n" + huge + "\n",
         "line 3: the cents value \"" + huge.substr(0, 24) + "...\" is not finite"},
        {"desc\n1\n12.3.4\n", "line 3: \"12.3.4\" is not a number of cents"},
        {"desc\n1\n3/2/1\n", "line 3: \"3/2/1\" is neither cents (with a period) nor a ratio"},
    };
    for (const auto& [text, what] : cases) {
        const ScalaScale scale = parseScalaScale(text, "bad.scl");
        EXPECT_EQ(scale.error, "bad.scl: " + what) << text;
        EXPECT_TRUE(scale.cents.empty() && scale.description.empty()) << text;
    }
}

TEST(KeyboardMap, ReadsFieldsEntriesAndUnmappedKeys) {
    const KeyboardMap map = parseKeyboardMap("! white.kbm\n7\n21\n108\n60\n69\n440.0\n12\n"
                                             "! Mapping.\n0\n2\n4\nx\nX  no key\n9 \n",
                                             "white.kbm");
    ASSERT_EQ(map.error, "");
    EXPECT_EQ(map.mapSize, 7);
    EXPECT_EQ(map.firstNote, 21);
    EXPECT_EQ(map.lastNote, 108);
    EXPECT_EQ(map.middleNote, 60);
    EXPECT_EQ(map.referenceNote, 69);
    EXPECT_EQ(map.referenceHz, 440.0);
    EXPECT_EQ(map.octaveDegree, 12);
    // The seventh entry is left out: unmapped.
    EXPECT_EQ(map.degrees,
              (std::vector<int>{0, 2, 4, kUnmappedKey, kUnmappedKey, 9, kUnmappedKey}));
}

TEST(KeyboardMap, DamagedFilesNameFileLineAndFault) {
    const std::string head = "! c\n12\n0\n127\n60\n69\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "line 1: the file is empty"},
        {"12\n0\n127\n60\n", "line 5: the file ends before the reference note"},
        {"0\n0\n128\n60\n69\n440\n0\n", "line 3: the last note \"128\" is outside 0 to 127"},
        {"0\r\n60\r\n50\r\n60\r\n69\r\n440\r\n0\r\n",
         "line 3: the last note 50 is below the first note 60"},
        {"0\n0\n127\nsixty\n", "line 4: the middle note \"sixty\" is not a whole number"},
        {head + "A440\n", "line 7: the reference frequency \"A440\" is not a number"},
        {head + "inf\n", "line 7: the reference frequency \"inf\" is not finite"},
        {head + "-440.0\n", "line 7: the reference frequency \"-440.0\" is not above 0 Hz"},
        {head + "440\n-1\n", "line 8: the octave degree \"-1\" is outside 0 to 1000000"},
        {head + "440\n12\n0\ny\n",
         "line 10: the mapping entry \"y\" is neither a scale degree nor x"},
        {"1\n0\n127\n60\n60\n440\n1\n0\n0\n", "line 9: a mapping entry beyond the map size of 1"},
        {head + "440\n12\n0\n1\n2\n3\n4\n5\n6\n7\n8\nx\n",
         "line 6: the reference note 69 falls on an unmapped key"},
    };
    for (const auto& [text, what] : cases) {
        const KeyboardMap map = parseKeyboardMap(text, "bad.kbm");
        EXPECT_EQ(map.error, "bad.kbm: " + what) << text;
        EXPECT_TRUE(map.degrees.empty()) << text;
    }
}

TEST(TextFile, ReadsWholeFilesAndNamesThePathOnFailure) {
    const std::filesystem::path folder = std::filesystem::path(ULVO_TUNING_TEST_DIR) / "files";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "e12.scl").string();
    const std::string text = "e12\n1\n2/1\n";
    std::ofstream(path, std::ios::binary) << text;
    const TextFile read = readTextFile(path);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.text, text);

    const std::string missing = (folder / "missing.scl").string();
    EXPECT_EQ(readTextFile(missing).error,
              missing + ": cannot be opened: No such file or directory");

    const std::string large = (folder / "large.scl").string();
    std::ofstream(large, std::ios::binary) << std::string(kMaxTuningFileBytes + 1, '!');
    const TextFile tooLarge = readTextFile(large);
    EXPECT_EQ(tooLarge.error, large + ": larger than " + std::to_string(kMaxTuningFileBytes) +
                                  " bytes, not a tuning file");
    EXPECT_EQ(tooLarge.text, "");
}

} // namespace
