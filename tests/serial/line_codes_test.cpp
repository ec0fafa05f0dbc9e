// What the line's raw readings mean: the events a read leaves, the failure number of each
// set-up error, the terminal settings of the device's line, and the driver's parity marks.
#include "comm_events.h"
#include "failure_numbers.h"
#include "line_settings.h"
#include "parmrk_decoder.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <tuple>
#include <vector>

using namespace comm_events;
using namespace std::string_literals;

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

TEST(FailureNumbers, eachSetupErrnoGivesTheNumberOfItsCause)
{
    const std::pair<std::int32_t, std::vector<int>> table[] = {
        {8005, {ENOENT, EISDIR, ENODEV, ENXIO, ENOTTY, EIO}},
        {8013, {EBUSY, EWOULDBLOCK, EAGAIN}},
        {8010, {EACCES, EPERM}},
        {8011, {EINVAL}},
        {8012, {EMFILE, ENOMEM, 0}},
    };
    for (const auto &[number, errors] : table)
        for (const int error : errors)
            EXPECT_EQ(setupFailureNumber(error), number) << "errno " << error;
}

// The speed is checked on a pseudo-terminal, at each open; here the rest of the line.
TEST(LineSettings, theDeviceSettingsGiveARawSevenBitEvenParityLine)
{
    // Built on a device that had every flag on, so that anything the line must not keep shows.
    termios t;
    std::memset(&t, 0xff, sizeof t);
    t = rawLineTermios(t, parseLineSettings("1200,e,7,1").value());
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS7));
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR), tcflag_t(PARENB));
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL | HUPCL), tcflag_t(CREAD | CLOCAL | HUPCL));
    // Parity checked and bad characters marked; nothing ignored, stripped, translated or
    // taken for flow control; no canonical mode, echo or signal characters; reads never wait.
    EXPECT_EQ(t.c_iflag, tcflag_t(INPCK | PARMRK));
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHOE | ECHOK | ECHONL | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_cc[VMIN] + t.c_cc[VTIME], 0);
}

TEST(ParmrkDecoder, marksDecodeAlikeInOneReadOrSplitAnywhereInTwo)
{
    // Raw bytes, what they read as, bad characters, breaks.
    const std::tuple<std::string, std::string, int, int> cases[] = {
        {"A\377\377B", "A\377B", 0, 0},
        {"A\377\0XB"s, "A?B", 1, 0},
        {"A\377\0\0B"s, "AB", 0, 1},
        {"\377\0\377"s, "?", 1, 0},
        {"\377\377\377\0Z\377\0\0\377\377"s, "\377?\377", 1, 1},
        {"\377Z", "\377Z", 0, 0},
    };
    for (const auto &[raw, decoded, badCharacters, breaks] : cases) {
        for (std::size_t split = 0; split <= raw.size(); ++split) {
            SCOPED_TRACE(testing::PrintToString(raw) + " split at " + std::to_string(split));
            ParmrkDecoder decoder;
            std::string out;
            const ParmrkDecoder::Marks first = decoder.decode(raw.substr(0, split), out);
            const ParmrkDecoder::Marks second = decoder.decode(raw.substr(split), out);
            EXPECT_EQ(out, decoded);
            EXPECT_EQ(first.badCharacters + second.badCharacters, badCharacters);
            EXPECT_EQ(first.breaks + second.breaks, breaks);
        }
    }
}
