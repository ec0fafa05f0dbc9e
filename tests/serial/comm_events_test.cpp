#include "comm_events.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <tuple>

using namespace comm_events;

TEST(CommEvents, aReadLeavesTheLastEventThatAppliesAndCountsItsSpoiledCharacters)
{
    const std::optional<ErrorCounts> none;
    // Characters received, rise of the error counters, 0x1A among them, marked characters,
    // breaks; the event left and the characters counted as spoiled.
    const std::tuple<bool, std::optional<ErrorCounts>, bool, int, int, int, int> cases[] = {
        {false, none, false, 0, 0, kNone, 0},
        {true, none, true, 0, 0, kEndOfFile, 0},
        {false, none, false, 0, 1, kBreak, 0},
        {true, ErrorCounts{1, 0, 0, 0}, false, 0, 0, kFramingError, 1},
        {true, ErrorCounts{0, 1, 0, 0}, false, 0, 0, kOverrun, 1},
        {true, ErrorCounts{0, 0, 2, 0}, true, 0, 0, kParityError, 2},
        {true, ErrorCounts{0, 0, 0, 1}, false, 0, 0, kReceiveOverflow, 1},  // the kernel dropped
        {true, none, false, 1, 0, kParityError, 1},
        {true, ErrorCounts{1, 0, 0, 0}, false, 1, 0, kFramingError, 2},
        {true, ErrorCounts{-3, 0, 0, 0}, false, 0, 0, kCharacterReceived, 0},  // counters reset
    };
    for (const auto &c : cases) {
        const auto &[received, rise, endOfFile, marked, breaks, event, spoiled] = c;
        const ReceptionSummary read{received, endOfFile, breaks, marked, rise};
        EXPECT_EQ(latestReceptionEvent(read), event) << "case " << &c - cases;
        EXPECT_EQ(spoiledCharacters(read), std::uint64_t(spoiled)) << "case " << &c - cases;
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
