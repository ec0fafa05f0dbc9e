#include "answer_builder.h"
#include "fault_picker.h"
#include "frame_decoder.h"
#include "line_bytes.h"

#include <gtest/gtest.h>
#include <set>

using sim::Fault;

TEST(FrameDecoder, readsTheSameEventsWholeAndByteByByte)
{
    // Frames as <text:ok>, ACKs as <ack>, stray bytes as they are: however the reads are split,
    // the summary must read the same.
    const auto summary = [](const std::vector<sim::DecodedEvent> &events) {
        std::string text;
        for (const sim::DecodedEvent &e : events) {
            text += e.kind == sim::DecodedEvent::Kind::Stray ? e.raw
                    : e.kind == sim::DecodedEvent::Kind::Ack
                        ? "<ack>"
                        : "<" + e.text + (e.checksumOk ? ":ok>" : ":bad>");
        }
        return text;
    };
    const std::pair<std::string, std::string> cases[]{
        {"[]00", "<:ok>"},
        {"[\\]5c", "<\\:bad>"},  // lowercase digits are wrong digits
        {"junk[V]56", "junk<V:ok>"},
        {"^[V]56^", "<ack><V:ok><ack>"},
        {"[A[^]45", "<A[^:ok>"},
        {"[\xC1KL]46", "<AKL:ok>"},  // the top bit is dropped, as on a 7-bit line
    };
    for (const auto &[notation, summarised] : cases) {
        const std::string line = lineBytes(notation);
        sim::FrameDecoder whole(true), bytewise(true);
        std::string byByte;
        for (const char c : line)
            byByte += summary(bytewise.feed(std::string(1, c)));
        EXPECT_EQ(summary(whole.feed(line)) + " " + byByte,
                  lineBytes(summarised + " " + summarised));
    }
}

TEST(AnswerBuilder, sendsExactlyTheseBytesForEachFault)
{
    const std::tuple<Fault, std::string, std::string> cases[]{
        {Fault::Lowercase, "\\", "^[\\]5c"},
        {Fault::Lowercase, "OK", "^[OKH]4c"},  // "04" has no letter: one joins the text
        {Fault::NotStx, "OK", "^?OK]04"},
        {Fault::Silence, "OK", ""},
        {Fault::CutOff, "ABCD", "^[AB"},
    };
    std::mt19937 random(1);
    for (const auto &[fault, reply, bytes] : cases) {
        EXPECT_EQ(sim::buildAnswer(reply, fault, random, 400).bytes, lineBytes(bytes)) << bytes;
    }
    for (int round = 0; round < 200; ++round) {
        const std::string flood = sim::buildAnswer("OK", Fault::Flood, random, 400).bytes;
        // Seven bits as the line carries them, and no ACK first, which would read as a good start.
        EXPECT_TRUE(flood.size() == 400 && flood[0] != '\x06' &&
                    std::none_of(flood.begin(), flood.end(), [](char c) { return c & 0x80; }));
    }
}

TEST(FaultPicker, followsTheRateAndTheSeedAndDrawsEveryListedFault)
{
    const std::vector<Fault> listed{Fault::NoAck, Fault::Flood, Fault::CutOff};
    sim::FaultPicker first(listed, 0.5, 3), second(listed, 0.5, 3), never(listed, 0, 3),
        inTurn(listed, 0.5, 3, true);
    std::set<Fault> seen;
    for (std::size_t i = 0; i < 200; ++i) {
        const Fault fault = first.next();
        seen.insert(fault);
        EXPECT_EQ(fault, second.next());
        EXPECT_EQ(never.next(), Fault::None);
        EXPECT_EQ(inTurn.next(), listed[i % listed.size()]);
    }
    EXPECT_EQ(seen, (std::set<Fault>{Fault::None, Fault::NoAck, Fault::Flood, Fault::CutOff}));
}
