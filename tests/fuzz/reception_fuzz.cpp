// Drives the real exchange engine on the virtual clock with bytes the fuzzer chooses: which
// bytes arrive, cut into which pieces, at which times, which of them the driver marked bad
// (parity), for an operator exchange or for polls. Every input must leave these true, or the run
// stops:
//   - every reply shown arrived whole and unmarked, as STX, its text, ETX and the two digits of
//     its checksum, and each such frame is shown at most once;
//   - the tool sends exactly one ACK per reply shown, so never one for a bad reply;
//   - a reply begun inside the operator exchange and ended after it is never shown: the
//     exchange gave up on it, and a poll must not finish it;
//   - the reply being gathered stays within the engine's own bound under a flood, and the
//     characters waiting stay bounded;
//   - the tool writes the frame of each instruction it was given, once, in order, each STX, the
//     text, ETX and the two uppercase hexadecimal digits of the exclusive-or of that text alone;
//   - after all this, a good reply to a new instruction is shown.
#include "engine_rig.h"
#include "frame.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// The engine drops a reply text that reaches this length: checked exactly, and reachable (see
// the corpus's flood inside a reply), so that a looser bound shows.
constexpr std::size_t kReplyBound = 64 * 1024;
// The exchange reads the line every millisecond: a byte that arrived this much before its end
// was surely read by it.
constexpr std::int64_t kExchangeReadMs = 2;
constexpr std::int64_t kPollMs = 100;

void require(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The input, read from the front; past its end, zeros.
    const std::uint8_t *const end = data + size;
    const auto next = [&]() -> int { return data < end ? *data++ : 0; };
    const int mode = next();
    const bool exchange = (mode & 1) == 0;  // else polls only
    std::string instruction;
    for (int length = next() % 6; length > 0; --length)
        instruction += static_cast<char>(0x20 + next() % 0x5F);
    // The line as the fuzzer plays it: pieces, each after a delay of 0 to 2 s from the one
    // before, its bytes repeated up to 256 times (a flood needs no long input). A byte with the
    // high bit set arrives marked bad, as the driver's PARMRK marking leaves a parity error.
    std::vector<FakeDevice::Piece> pieces;
    for (std::int64_t at = 0; data < end && pieces.size() < 64;) {
        at += next() * 8;
        const int length = next() % 32;
        const int repeats = 1 + (next() == 0xFF ? next() : 0);
        std::string &bytes = pieces.emplace_back(FakeDevice::Piece{at, {}}).bytes;
        for (int i = 0; i < length; ++i)
            bytes += static_cast<char>(next());  // seven bits, and the mark
        for (int i = 1; i < repeats; ++i)
            bytes += bytes.substr(0, length);
    }

    EngineRig rig;
    rig.gesrs.Select_Vitesse_9600 = (mode & 2) != 0;
    std::string line;                 // every byte that arrived
    std::vector<std::int64_t> times;  // when each did
    const auto watched = [&](const std::vector<FakeDevice::Piece> &pieces, std::int64_t from) {
        for (const FakeDevice::Piece &piece : pieces) {
            rig.timeline.at(from + piece.afterMs, [&, bytes = piece.bytes] {
                line += bytes;
                times.insert(times.end(), bytes.size(), rig.timeline.now());
                rig.port.deliver(bytes);  // the marked ones read as '?', the event parity
            });
        }
    };
    const std::int64_t lastArrival = pieces.empty() ? 0 : pieces.back().afterMs;  // in order

    // Memory stays bounded whatever arrives: looked at every 10 virtual ms.
    std::function<void()> checkBounds = [&] {
        require(rig.traitRS.reponse[0].size() <= kReplyBound, "reponse(0) grows without bound");
        require(rig.gesrs.Car.size() <= 2 * kReplyBound, "Car grows without bound");
        rig.timeline.after(10, checkBounds);
    };
    rig.timeline.after(10, checkBounds);

    std::int64_t exchangeEnd = -1;
    if (exchange) {
        // The pieces count from the end of the instruction frame, as a device answers.
        rig.port.onOutput = [&, sent = false](const std::string &bytes) mutable {
            if (!sent && bytes.find(kEtx) != std::string::npos) {
                sent = true;
                watched(pieces, rig.timeline.now());
            }
        };
        rig.gesrs.envoicom(instruction);
        exchangeEnd = rig.timeline.now();
    } else {
        watched(pieces, rig.timeline.now());
    }
    // The window's polling timer, until everything has arrived and settled.
    while (rig.timeline.now() <= lastArrival + 2000) {
        rig.timeline.advance(kPollMs);
        rig.poll();  // cannot fail: the fake port fails only when told to
    }

    // Whether `shown` can be matched, in order, to whole good frames of the bytes that arrived on
    // the line at the given times, each used once, none of them begun inside the operator
    // exchange and finished after it.
    const auto wholeGoodFrames = [&](const std::vector<std::string> &shown) {
        std::size_t from = 0;
        for (const std::string &text : shown) {
            const std::string frame = buildFrame(text);
            std::size_t at = line.find(frame, from);
            while (at != std::string::npos && times[at] + kExchangeReadMs < exchangeEnd &&
                   times[at + frame.size() - 1] > exchangeEnd)  // it straddles the exchange's end
                at = line.find(frame, at + 1);
            if (at == std::string::npos)
                return false;
            from = at + frame.size();
        }
        return true;
    };
    const std::vector<std::string> shown = rig.shown;
    const auto acks = std::ranges::count(rig.port.written(), kAck);
    require(static_cast<std::size_t>(acks) == shown.size(), "an ACK without a reply shown");
    require(wholeGoodFrames(shown), "a reply shown that did not arrive whole and good");

    // The line works again: a good reply to a new instruction is shown.
    rig.port.onOutput = [&](const std::string &bytes) {
        if (bytes.find(kEtx) != std::string::npos)
            rig.timeline.after(20, [&] { rig.port.deliver(FakeDevice::goodReply("OK")); });
    };
    rig.gesrs.envoicom("Z");
    require(rig.shown.size() == shown.size() + 1 && rig.shown.back() == "OK",
            "a good reply after the trouble was not shown");
    // Besides the ACKs, exactly the frames of the instruction (a poll sends none) and of "Z", as
    // the frame builder makes them (its digits are pinned by the frame table of the engine's
    // tests).
    std::string frames = rig.port.written();
    std::erase(frames, kAck);
    require(frames == (exchange && instruction != "WWWW" ? buildFrame(instruction) : "") +
                          buildFrame("Z"),
            "a frame written wrong");
    return 0;
}
