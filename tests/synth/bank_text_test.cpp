// The bank text as a reader meets it: which lines it takes, which it counts as skipped, and
// whether it knows the file for one written by a later version.
#include "synth/bank_text.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(BankText, LinesOutOfRangeOrUnknownAreSkippedAndOnlyALaterVersionExcusesThem) {
    const std::string header = "ulvodraw-bank " + std::to_string(kBankTextVersion) + "\n";
    const std::string later = "ulvodraw-bank " + std::to_string(kBankTextVersion + 1) + "\n";
    std::string values;
    for (int i = 0; i < kParameterCount; ++i)
        values += " 0.25";
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

} // namespace
