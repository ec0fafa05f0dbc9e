#include "line_settings.h"
#include "sim_options.h"

#include <gtest/gtest.h>

class DeviceLine : public testing::TestWithParam<int>
{};

TEST_P(DeviceLine, isRawSevenEvenOneAtTheAskedSpeed)
{
    termios cooked{};
    cooked.c_iflag = ICRNL | IXON | IXOFF | INPCK | ISTRIP;
    cooked.c_oflag = OPOST | ONLCR;
    cooked.c_lflag = ICANON | ECHO | ECHOE | ISIG | IEXTEN;
    cooked.c_cflag = CS8 | PARODD | CSTOPB | CRTSCTS | HUPCL;
    const speed_t speed = *sim::speedFor(GetParam());
    const termios line = sim::deviceLineSettings(cooked, speed);

    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
    EXPECT_TRUE(line.c_cflag & PARENB);
    EXPECT_FALSE(line.c_cflag & PARODD);
    EXPECT_FALSE(line.c_cflag & CSTOPB);
    EXPECT_FALSE(line.c_cflag & CRTSCTS);
    EXPECT_TRUE(line.c_cflag & CLOCAL);
    EXPECT_TRUE(line.c_cflag & CREAD);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(line.c_iflag & (ICRNL | IXON | IXOFF | ISTRIP), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
    EXPECT_EQ(line.c_cc[VMIN], 1);
    EXPECT_EQ(line.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetispeed(&line), speed);
    EXPECT_EQ(cfgetospeed(&line), speed);
    EXPECT_EQ(sim::baudOf(speed), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Speeds, DeviceLine, testing::Values(1200, 9600));

TEST(SimOptions, readsValuesInBothSpellings)
{
    const sim::ParsedOptions parsed = sim::parseOptions(
        {"--baud=9600", "--fault", "no-ack,flood", "--seed=4294967295", "--no-pacing"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.baud, 9600);
    EXPECT_EQ(parsed.options.faults,
              (std::vector<sim::Fault>{sim::Fault::NoAck, sim::Fault::Flood}));
    EXPECT_EQ(parsed.options.seed, 4294967295u);
    EXPECT_FALSE(parsed.options.pacing);
    EXPECT_EQ(sim::faultRate(parsed.options), 1.0);
}

TEST(SimOptions, aRateAloneDrawsAmongAllFaults)
{
    const sim::SimOptions options = sim::parseOptions({"--fault-rate", "0.25"}).options;
    EXPECT_EQ(sim::faultChoices(options), sim::allFaults());
    EXPECT_EQ(sim::faultRate(options), 0.25);
    EXPECT_TRUE(sim::faultChoices(sim::parseOptions({}).options).empty());
}

TEST(SimOptions, refusesWhatItCannotHonour)
{
    const std::vector<std::vector<std::string>> bad{
        {"--baud", "4800"},
        {"--baud"},
        {"--turnaround", "-1"},
        {"--gap", "10ms"},
        {"--fault", "silence,loud"},
        {"--fault-rate", "1.5"},
        {"--seed", "4294967296"},
        {"--pieces", "0"},
        {"--exit-after-idle", "0"},
        {"--device", "/dev/ttyS0", "--link", "/tmp/x"},
        {"--frobnicate"},
        {"extra"},
    };
    for (const auto &arguments : bad) {
        EXPECT_NE(sim::parseOptions(arguments).error, "") << arguments.front();
    }
}
