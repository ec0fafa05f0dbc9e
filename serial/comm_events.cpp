#include "comm_events.h"

#include <algorithm>
#include <sys/ioctl.h>

using namespace comm_events;

ErrorCounts countsRise(const ErrorCounts &before, const ErrorCounts &after)
{
    return {after.frame - before.frame,
            after.overrun - before.overrun,
            after.parity - before.parity,
            after.bufferOverrun - before.bufferOverrun};
}

int latestReceptionEvent(const ReceptionSummary &read)
{
    int event = kNone;
    if (read.charactersReceived)
        event = kCharacterReceived;
    if (read.endOfFileReceived)
        event = kEndOfFile;
    if (read.breaks > 0)
        event = kBreak;

    bool errorNamed = false;
    if (read.errorsRise) {
        if (read.errorsRise->frame > 0) {
            event = kFramingError;
            errorNamed = true;
        }
        if (read.errorsRise->overrun > 0)
            event = kOverrun;
        if (read.errorsRise->parity > 0) {
            event = kParityError;
            errorNamed = true;
        }
    }
    // A marked character the driver did not count: on an even-parity line, a parity error is
    // by far the likeliest cause, and the operator must hear of it either way.
    if (read.badCharacters > 0 && !errorNamed)
        event = kParityError;

    // Only characters really lost overflow: the component's own buffer grows as needed.
    if (read.errorsRise && read.errorsRise->bufferOverrun > 0)
        event = kReceiveOverflow;
    return event;
}

std::uint64_t spoiledCharacters(const ReceptionSummary &read)
{
    const auto count = [](int n) { return static_cast<std::uint64_t>(std::max(0, n)); };
    std::uint64_t spoiled = count(read.badCharacters);
    if (read.errorsRise) {
        const ErrorCounts &rise = *read.errorsRise;
        // A counter that went down (a driver reset) has lost nothing.
        for (const int counted : {rise.frame, rise.overrun, rise.parity, rise.bufferOverrun})
            spoiled += count(counted);
    }
    return spoiled;
}

int latestModemLineEvent(int linesBefore, int linesNow)
{
    const int changed = linesBefore ^ linesNow;
    int event = kNone;
    if (changed & TIOCM_CTS)
        event = kCtsChange;
    if (changed & TIOCM_DSR)
        event = kDsrChange;
    if (changed & TIOCM_CD)
        event = kCarrierChange;
    if ((changed & TIOCM_RI) && (linesNow & TIOCM_RI))
        event = kRing;
    return event;
}
