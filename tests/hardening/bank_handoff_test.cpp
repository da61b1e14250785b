// The CLAP front's bank hand-off: a bank published on the main thread reaches the instrument
// whole, once, at the audio thread's next take; the latest of several wins; and a taker racing a
// publisher never applies half of one bank and half of another.
#include "plugin/clap/bank_handoff.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

namespace {

// Every value of every program `value`, and program `current` to settle.
BankValues uniformBank(float value, std::int32_t current) {
    BankValues bank;
    for (auto& program : bank.programs)
        program.fill(value);
    bank.current = current;
    return bank;
}

// The one value every program of `instrument` holds; -1 when they differ.
float uniformValue(const Instrument& instrument) {
    const float first = instrument.program(0).value(0);
    for (std::int32_t p = 0; p < kProgramCount; ++p)
        for (std::int32_t index = 0; index < kControlCount; ++index)
            if (instrument.program(p).value(index) != first) return -1.0f;
    return first;
}

TEST(BankHandoff, TakesNothingUntilPublishedThenTheLatestBankOnce) {
    Instrument instrument;
    BankHandoff handoff;
    EXPECT_FALSE(handoff.take(instrument));

    handoff.publish(uniformBank(0.25f, 3));
    handoff.publish(uniformBank(0.75f, 9));
    ASSERT_TRUE(handoff.take(instrument));
    EXPECT_EQ(uniformValue(instrument), 0.75f);
    EXPECT_EQ(instrument.currentProgram(), 9);
    EXPECT_EQ(instrument.parameter(CutOff), 0.75f);

    EXPECT_FALSE(handoff.take(instrument));
    EXPECT_EQ(uniformValue(instrument), 0.75f);
}

TEST(BankHandoff, ATakerRacingThePublisherAppliesWholeBanksInOrder) {
    constexpr int kBanks = 2000;
    Instrument instrument;
    BankHandoff handoff;
    std::atomic<bool> published{false};
    std::thread mainThread([&] {
        for (int bank = 1; bank <= kBanks; ++bank)
            handoff.publish(uniformBank(static_cast<float>(bank) / kBanks, bank % kProgramCount));
        published = true;
    });
    int taken = 0, torn = 0, backwards = 0;
    float last = 0.0f;
    const auto check = [&] {
        const float value = uniformValue(instrument);
        if (value < 0.0f || instrument.currentProgram() !=
                                static_cast<int>(std::lround(value * kBanks)) % kProgramCount)
            ++torn;
        if (value < last) ++backwards;
        last = value;
        ++taken;
    };
    while (!published)
        if (handoff.take(instrument)) check();
    mainThread.join();
    if (handoff.take(instrument)) check();

    EXPECT_GT(taken, 0);
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(backwards, 0);
    EXPECT_EQ(last, 1.0f); // the last bank always arrives
}

} // namespace
