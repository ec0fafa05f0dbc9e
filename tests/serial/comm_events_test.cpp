#include "comm_events.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <tuple>

using namespace comm_events;

TEST(CommEvents, aReadLeavesTheLastEventThatApplies)
{
    const std::optional<ErrorCounts> none;
    // Characters waiting, rise of the error counters, 0x1A among them, marked characters, breaks.
    const std::tuple<std::size_t, std::optional<ErrorCounts>, bool, int, int, int> cases[] = {
        {0, none, false, 0, 0, kNone},
        {5, ErrorCounts{}, false, 0, 0, kCharacterReceived},
        {5, none, true, 0, 0, kEndOfFile},
        {0, none, false, 0, 1, kBreak},
        {5, ErrorCounts{1, 0, 0, 0}, false, 0, 0, kFramingError},
        {5, ErrorCounts{0, 1, 0, 0}, false, 0, 0, kOverrun},
        {5, ErrorCounts{0, 0, 2, 0}, true, 0, 0, kParityError},
        {5, ErrorCounts{0, 0, 0, 1}, false, 0, 0, kReceiveOverflow},  // the kernel dropped some
        {5, none, false, 1, 0, kParityError},
        {5, ErrorCounts{1, 0, 0, 0}, false, 1, 0, kFramingError},
        {256, none, false, 0, 0, kCharacterReceived},
        {257, ErrorCounts{0, 0, 1, 0}, false, 0, 0, kReceiveOverflow},
    };
    for (const auto &c : cases) {
        const auto &[waiting, rise, endOfFile, marked, breaks, event] = c;
        const ReceptionSummary read{waiting > 0, endOfFile, breaks, marked, rise, waiting, 256};
        EXPECT_EQ(latestReceptionEvent(read), event) << "case " << &c - cases;
    }
}

TEST(CommEvents, modemLineChangesAreEventsButOurOwnLinesAndARingEndingAreNot)
{
    const std::tuple<int, int, int> cases[] = {
        {TIOCM_CTS, 0, kCtsChange},
        {0, TIOCM_DSR, kDsrChange},
        {0, TIOCM_CD, kCarrierChange},
        {0, TIOCM_RI, kRing},
        {TIOCM_RI, 0, kNone},
        {0, TIOCM_DTR | TIOCM_RTS, kNone},
        {0, TIOCM_CTS | TIOCM_CD, kCarrierChange},
    };
    for (const auto &[before, now, event] : cases)
        EXPECT_EQ(latestModemLineEvent(before, now), event) << before << " -> " << now;
}
