// The bank text as a reader meets it: which lines it takes, which it counts as skipped, and
// whether it knows the file for one written by a later version.
#include "synth/bank_text.h"

#include <memory>
#include <string>

#include "synth/control_limits.h"
#include "synth/tuning/tuning_state_text.h"

#include <gtest/gtest.h>

namespace {

TEST(BankText, LinesOutOfRangeOrUnknownAreSkippedAndOnlyALaterVersionExcusesThem) {
    const std::string header = "ulvodraw-bank " + std::to_string(kBankTextVersion) + "\n";
    const std::string later = "ulvodraw-bank " + std::to_string(kTuningBankTextVersion + 1) + "\n";
    std::string values;
    for (int i = 0; i < kControlCount; ++i)
        values += i == BendRange || i == EnvScale ? " 2" : " 0.25";
    const std::string body = writeBankText(*std::make_unique<Instrument>()).substr(header.size());
    struct Case {
        const char* what;
        std::string text;
        std::int32_t programs, skipped;
        bool newer;
    };
    const Case cases[] = {
        {"a bank as written", header + body, kProgramCount, 0, false},
        {"the last program, then one past it",
         header + "program 31" + values + " Last\nprogram 32" + values + " Extra\n", 1, 1, false},
        {"a line this version does not know", header + body + "colour blue\n", kProgramCount, 1,
         false},
        {"the same line from a later version", later + body + "colour blue\n", kProgramCount, 1,
         true},
    };
    for (const Case& c : cases) {
        auto instrument = std::make_unique<Instrument>();
        const BankRestore r = restoreBankText(*instrument, c.text);
        EXPECT_TRUE(r.recognised) << c.what;
        EXPECT_EQ(r.programs, c.programs) << c.what;
        EXPECT_EQ(r.skippedLines, c.skipped) << c.what;
        EXPECT_EQ(r.newerVersion, c.newer) << c.what;
    }
    auto instrument = std::make_unique<Instrument>();
    restoreBankText(*instrument, cases[1].text);
    EXPECT_STREQ(instrument->program(kProgramCount - 1).name, "Last");
    EXPECT_EQ(instrument->program(kProgramCount - 1).value(Drawbar8), 0.25f);
}

// A tuning's files ride after the programs, texts with every kind of line end and backslash
// coming back whole; the reader skips none of their lines, and a bank without a tuning has none.
TEST(BankText, TheTuningsFilesComeBackWholeFromAVersionThreeBank) {
    TuningSource source;
    const std::string scale = "! a\\b.scl\r\nTwo \\n steps\r\n2\n 600.0\r 2/1\n";
    ASSERT_EQ(source.setScale({"/tmp/a\\b.scl", scale}), "");
    ASSERT_EQ(source.setKeymap({"k.kbm", "0\n0\n127\n60\n60\n261.6\n0\n"}), "");
    auto instrument = std::make_unique<Instrument>();
    const std::string text = writeBankText(*instrument, tuningStateLines(source));
    EXPECT_EQ(text.rfind("ulvodraw-bank 3\n", 0), 0u);
    EXPECT_EQ(writeBankText(*instrument).find("scale-"), std::string::npos);

    const BankRestore r = restoreBankText(*instrument, text);
    EXPECT_EQ(r.skippedLines, 0);
    EXPECT_FALSE(r.newerVersion);
    const TuningStateFiles files = readTuningStateLines(text);
    EXPECT_EQ(files.scale.name, "/tmp/a\\b.scl");
    EXPECT_EQ(files.scale.text, scale);
    EXPECT_EQ(files.keymap.text, source.keymapFile().text);
    // The same lines under version 2 are not this version's: skipped.
    std::string older = text;
    older[std::string("ulvodraw-bank ").size()] = '2';
    EXPECT_EQ(restoreBankText(*instrument, older).skippedLines, 4);
}

// Tuning lines set into a saved bank replace the ones it held rather than follow them, keep every
// other line as it was (CR included), and equal what the bank's own writer gives; a text that is
// no bank, or a version-2 bank, takes none.
TEST(BankText, TuningLinesSetIntoABankReplaceItsOwnAndKeepTheRest) {
    TuningSource just, fifths;
    ASSERT_EQ(just.setScale({"just.scl", "Just\n 3\n 5/4\n 3/2\n 2/1\n"}), "");
    ASSERT_EQ(fifths.setScale({"fifths.scl", "Fifths\n 1\n 3/2\n"}), "");
    auto instrument = std::make_unique<Instrument>();
    const std::string plain = writeBankText(*instrument);
    const std::string tuned = withTuningLines(plain, tuningStateLines(just));
    EXPECT_EQ(tuned, writeBankText(*instrument, tuningStateLines(just)));
    EXPECT_EQ(withTuningLines(tuned, tuningStateLines(fifths)),
              writeBankText(*instrument, tuningStateLines(fifths)));
    EXPECT_EQ(withTuningLines(tuned, {}), plain);
    const std::string crlf = "ulvodraw-bank 3\r\ncurrent 2\r\nscale-name old.scl\r\nfuture x";
    EXPECT_EQ(withTuningLines(crlf, tuningStateLines(just)),
              "ulvodraw-bank 3\r\ncurrent 2\r\nfuture x\n" + tuningStateLines(just));
    EXPECT_EQ(withTuningLines("not a bank\n", tuningStateLines(just)), "");
    EXPECT_EQ(withTuningLines("ulvodraw-bank 2\ncurrent 1\n", tuningStateLines(just)), "");
    EXPECT_EQ(withTuningLines("ulvodraw-bank 2\ncurrent 1\n", {}), "ulvodraw-bank 2\ncurrent 1\n");
}

// A bank from before the playing controls gives the classic values alone: every program then
// plays them at their classic values. Version 2 keeps all of them, held within their ranges.
TEST(BankText, OlderVersionsLoadClassicValuesForWhatTheyLackAndTheLatestKeepsEveryValue) {
    std::string firstVersion = "ulvodraw-bank 1\ncurrent 3\n";
    for (int p = 0; p < kProgramCount; p += 3) {
        firstVersion += "program " + std::to_string(p);
        for (int i = 0; i < kParameterCount; ++i)
            firstVersion += " 0.75";
        firstVersion += " Old " + std::to_string(p) + "\n";
    }
    auto old = std::make_unique<Instrument>();
    const BankRestore r = restoreBankText(*old, firstVersion);
    EXPECT_EQ(r.version, 1);
    EXPECT_EQ(r.programs, 11);
    EXPECT_EQ(r.skippedLines, 0);
    EXPECT_EQ(old->currentProgram(), 3);
    for (int p = 0; p < kProgramCount; ++p)
        for (int i = 0; i < kControlCount; ++i) {
            const float expected = i >= kParameterCount ? kClassicValues[i]
                                   : p % 3 == 0         ? 0.75f
                                                        : kParameterDefaults[i];
            ASSERT_EQ(old->program(p).value(i), expected) << "program " << p << ", " << i;
        }
    for (int i = 0; i < kControlCount; ++i)
        EXPECT_EQ(old->parameter(i), old->program(3).value(i)) << i;

    // Every value of every program apart, the playing controls off their defaults.
    auto saved = std::make_unique<Instrument>();
    for (int p = 0; p < kProgramCount; ++p) {
        saved->selectProgram(p);
        for (int i = 0; i < kControlCount; ++i) {
            const ControlRange& range = kControlRanges[i];
            const float step = (range.maximum - range.minimum) / 64.0f;
            saved->setParameter(i, heldInRange(i, range.minimum + step * float((p + i) % 64)));
        }
    }
    saved->selectProgram(17);
    const std::string text = writeBankText(*saved);
    EXPECT_EQ(text.rfind("ulvodraw-bank 3\n", 0), 0u);
    auto fresh = std::make_unique<Instrument>();
    EXPECT_EQ(restoreBankText(*fresh, text).programs, kProgramCount);
    EXPECT_EQ(writeBankText(*fresh), text);
    for (int p = 0; p < kProgramCount; ++p)
        for (int i = 0; i < kControlCount; ++i)
            ASSERT_EQ(fresh->program(p).value(i), saved->program(p).value(i)) << p << ", " << i;

    // A value outside its control's range is held within it; a whole-number one rounded.
    std::string line = "ulvodraw-bank 3\nprogram 0";
    for (int i = 0; i < kControlCount; ++i)
        line += i == Volume ? " 99" : i == BendRange ? " 2.6" : i == Q ? " -4" : " 0.5";
    restoreBankText(*fresh, line + " Held\n");
    EXPECT_EQ(fresh->program(0).value(Volume), 12.0f);
    EXPECT_EQ(fresh->program(0).value(BendRange), 3.0f);
    EXPECT_EQ(fresh->program(0).value(Q), 0.0f);
    EXPECT_EQ(fresh->program(0).value(EnvScale), 1.0f);
    EXPECT_STREQ(fresh->program(0).name, "Held");

    // Version 2 gave every control but the oscillators, which load Classic, as they played.
    std::string second = "ulvodraw-bank 2\nprogram 5";
    for (int i = 0; i < Oscillators; ++i)
        second += i == EnvCurve ? " 1" : " 0.25";
    fresh->setProgramValue(5, Oscillators, CleanOscillators);
    const BankRestore r2 = restoreBankText(*fresh, second + " Second\n");
    EXPECT_EQ(r2.programs, 1);
    EXPECT_EQ(fresh->program(5).value(EnvCurve), 1.0f);
    EXPECT_EQ(fresh->program(5).value(Decay), 0.25f);
    EXPECT_EQ(fresh->program(5).value(Oscillators), ClassicOscillators);
    EXPECT_STREQ(fresh->program(5).name, "Second");
}

} // namespace
