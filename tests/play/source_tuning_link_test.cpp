// The player's strip names the tuning it keeps, by the scale's description or else its file's
// name, and its reset takes both files away and gives the instrument equal temperament again.
#include <gtest/gtest.h>

#include <vector>

#include "synth/instrument.h"
#include "tools/play/source_tuning_link.h"

namespace {

std::vector<float> noteAfterPosts(Instrument& instrument) {
    instrument.setSampleRate(44100.0f);
    instrument.settleProgram(0);
    instrument.noteOn(64, 100, 0);
    std::vector<float> left(2048), right(2048);
    instrument.renderReplacing(left.data(), right.data(), 2048);
    return left;
}

} // namespace

TEST(SourceTuningLink, NamesTheScaleAndItsResetGivesEqualTemperamentBack) {
    TuningSource source;
    Instrument instrument, untouched;
    SourceTuningLink link(instrument, source);
    EXPECT_EQ(link.tuningName(), "");
    ASSERT_EQ(source.setScale({"/scales/e19.scl", "!\n\n 1\n 2/1\n"}), "");
    EXPECT_EQ(link.tuningName(), "e19.scl");
    ASSERT_EQ(source.setScale({"/scales/just.scl", "Just fifths\n 2\n 3/2\n 2/1\n"}), "");
    EXPECT_EQ(link.tuningName(), "Just fifths");

    instrument.postTuning(*source.table());
    link.resetTuning();
    EXPECT_FALSE(source.active());
    EXPECT_EQ(link.tuningName(), "");
    EXPECT_EQ(noteAfterPosts(instrument), noteAfterPosts(untouched));
}
