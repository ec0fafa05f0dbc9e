#include "comm_events.h"

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

    const bool kernelDropped = read.errorsRise && read.errorsRise->bufferOverrun > 0;
    if (read.waiting > read.inBufferSize || kernelDropped)
        event = kReceiveOverflow;
    return event;
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
