#include "comm_events.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

namespace {

using namespace comm_events;

constexpr std::optional<ErrorCounts> kNoCounters;

ReceptionSummary readOf(std::size_t waiting,
                        std::optional<ErrorCounts> rise,
                        bool endOfFile = false,
                        int badCharacters = 0,
                        int breaks = 0)
{
    return {waiting > 0, endOfFile, breaks, badCharacters, rise, waiting, 256};
}

struct ReceptionCase
{
    const char *name;
    ReceptionSummary read;
    int event;
};

class Reception : public testing::TestWithParam<ReceptionCase>
{};

TEST_P(Reception, leavesTheLastEventThatApplies)
{
    EXPECT_EQ(latestReceptionEvent(GetParam().read), GetParam().event);
}

INSTANTIATE_TEST_SUITE_P(
    CommEvents,
    Reception,
    testing::Values(
        ReceptionCase{"nothing", readOf(0, kNoCounters), kNone},
        ReceptionCase{"characters", readOf(5, ErrorCounts{}), kCharacterReceived},
        ReceptionCase{"endOfFile", readOf(5, kNoCounters, true), kEndOfFile},
        ReceptionCase{"breakAlone", readOf(0, kNoCounters, false, 0, 1), kBreak},
        ReceptionCase{"framing", readOf(5, ErrorCounts{1, 0, 0, 0}), kFramingError},
        ReceptionCase{"overrun", readOf(5, ErrorCounts{0, 1, 0, 0}), kOverrun},
        ReceptionCase{
            "parityAfterEndOfFile", readOf(5, ErrorCounts{0, 0, 2, 0}, true), kParityError},
        ReceptionCase{"kernelDropped", readOf(5, ErrorCounts{0, 0, 0, 1}), kReceiveOverflow},
        ReceptionCase{"markedUncounted", readOf(5, kNoCounters, false, 1), kParityError},
        ReceptionCase{
            "markedAsFraming", readOf(5, ErrorCounts{1, 0, 0, 0}, false, 1), kFramingError},
        ReceptionCase{"bufferFull", readOf(256, kNoCounters), kCharacterReceived},
        ReceptionCase{
            "overfullHidesParity", readOf(257, ErrorCounts{0, 0, 1, 0}), kReceiveOverflow}),
    [](const testing::TestParamInfo<ReceptionCase> &info) { return info.param.name; });

struct ModemCase
{
    const char *name;
    int before;
    int now;
    int event;
};

class ModemLines : public testing::TestWithParam<ModemCase>
{};

TEST_P(ModemLines, changesAreEvents)
{
    EXPECT_EQ(latestModemLineEvent(GetParam().before, GetParam().now), GetParam().event);
}

INSTANTIATE_TEST_SUITE_P(
    CommEvents,
    ModemLines,
    testing::Values(ModemCase{"still", TIOCM_CTS | TIOCM_RI, TIOCM_CTS | TIOCM_RI, kNone},
                    ModemCase{"cts", TIOCM_CTS, 0, kCtsChange},
                    ModemCase{"dsr", 0, TIOCM_DSR, kDsrChange},
                    ModemCase{"carrier", 0, TIOCM_CD, kCarrierChange},
                    ModemCase{"ringStarts", 0, TIOCM_RI, kRing},
                    ModemCase{"ringEnds", TIOCM_RI, 0, kNone},
                    ModemCase{"ourOwnLines", 0, TIOCM_DTR | TIOCM_RTS, kNone},
                    ModemCase{"ctsAndCarrier", 0, TIOCM_CTS | TIOCM_CD, kCarrierChange}),
    [](const testing::TestParamInfo<ModemCase> &info) { return info.param.name; });

}  // namespace
