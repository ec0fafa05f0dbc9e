// Every way the simulated device can answer wrongly, and what the operator then sees.
#include "e2e_rig.h"

#include <algorithm>

namespace {

struct DeviceCase
{
    std::string name;
    std::vector<std::string> options;
    std::string problem;  // Pb_rs at the end, or empty
    std::string shown;    // the one history line, or empty for none
};

void PrintTo(const DeviceCase &deviceCase, std::ostream *out)
{
    *out << deviceCase.name;
}

class DeviceAnswer : public testing::TestWithParam<DeviceCase>
{};

TEST_P(DeviceAnswer, endsAsTheOperatorMustSeeIt)
{
    const DeviceCase &expected = GetParam();
    std::vector<std::string> options = {"--reply", "BONJOUR"};
    options.insert(options.end(), expected.options.begin(), expected.options.end());
    Simulator device(options);
    Program program({"--port1=" + device.device()});

    program.instruct("ETAT");
    if (expected.problem.empty())
        ASSERT_TRUE(shows(program, device, "RxWin0", expected.shown));
    else
        ASSERT_TRUE(shows(program, device, "Pb_rs", expected.problem));
    // The simulator closes every exchange it answered, with the tool's ACK or without it.
    const auto closed = [&] {
        const std::vector<std::string> ends = {"ACK reçu", "ACK non reçu", "rien n'est envoyé"};
        return std::ranges::any_of(ends, [&](const auto &end) { return device.count(end) > 0; });
    };
    ASSERT_TRUE(waitUntil({&device.journal()}, closed));
    const bool good = !expected.shown.empty();
    EXPECT_EQ(acksFromTheTool(device), good ? 1 : 0);
    EXPECT_EQ(repliesShown(program), good ? 1 : 0);
    const auto window = program.state();
    EXPECT_EQ(window.at("RxWin0"), expected.shown);
    EXPECT_EQ(window.at("RxWin1"), "");
    EXPECT_EQ(window.at("Pb_rs"), expected.problem);
}

const std::string kNoAnswer = "Problème RS232: ABSENCE DE REPONSE";
const std::string kBadChecksum = "Problème RS232: PB MAUVAIS CHECKSUM";

INSTANTIATE_TEST_SUITE_P(
    Simulated,
    DeviceAnswer,
    testing::Values(
        DeviceCase{"badChecksum", {"--fault", "bad-checksum"}, kBadChecksum, ""},
        DeviceCase{"lowercaseDigits", {"--fault", "lowercase"}, kBadChecksum, ""},
        DeviceCase{"noAck", {"--fault", "no-ack"}, "Problème RS232: PAS D'ACK RECU", ""},
        DeviceCase{"notStx", {"--fault", "not-stx"}, "Problème RS232: PAS DE RECEPTION STX", ""},
        DeviceCase{"silence", {"--fault", "silence"}, kNoAnswer, ""},
        DeviceCase{"cutOff", {"--fault", "cut-off"}, kNoAnswer, ""},
        // The first piece waits through the post-send wait, the rest comes after it.
        DeviceCase{
            "piecesAcrossThePostSendWait", {"--pieces", "4,100", "--gap", "450"}, "", "BONJOUR"}),
    [](const testing::TestParamInfo<DeviceCase> &info) { return info.param.name; });

}  // namespace
