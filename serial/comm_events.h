#pragma once

#include <cstdint>
#include <optional>

/// The line event codes the component records; CommEvent shows the latest.
namespace comm_events {
constexpr int kNone = 0;
constexpr int kCharacterSent = 1;
constexpr int kCharacterReceived = 2;
constexpr int kCtsChange = 3;
constexpr int kDsrChange = 4;
constexpr int kCarrierChange = 5;
constexpr int kRing = 6;
constexpr int kEndOfFile = 7;  // 0x1A received
constexpr int kBreak = 1001;
constexpr int kFramingError = 1004;
constexpr int kOverrun = 1006;
constexpr int kReceiveOverflow = 1008;
constexpr int kParityError = 1009;
constexpr int kTransmitBufferFull = 1010;
}  // namespace comm_events

/// The driver's receive error counters (TIOCGICOUNT), or the rise of them since a last look.
struct ErrorCounts
{
    int frame = 0;
    int overrun = 0;
    int parity = 0;
    int bufferOverrun = 0;  // characters the kernel had no room for
};

ErrorCounts countsRise(const ErrorCounts &before, const ErrorCounts &after);

/// What one read of the line brought.
struct ReceptionSummary
{
    bool charactersReceived = false;
    bool endOfFileReceived = false;
    int breaks = 0;
    int badCharacters = 0;                  // marked in the data as parity or framing errors
    std::optional<ErrorCounts> errorsRise;  // none where the driver keeps no counters
};

/// The event a read leaves as the latest, or kNone when it records none. Events are recorded in a
/// fixed order and each replaces the one before, so the last that applies is the one seen.
int latestReceptionEvent(const ReceptionSummary &read);

/// How many characters of a read came bad or were lost: the marked ones and every rise of the
/// error counters. 0 for a clean read.
std::uint64_t spoiledCharacters(const ReceptionSummary &read);

/// The event a change of the modem status lines (TIOCM_* bits) leaves as the latest, or kNone.
int latestModemLineEvent(int linesBefore, int linesNow);
