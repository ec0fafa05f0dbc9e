// What the trace's memory of the recent past costs: the heap in use once it holds its fullest,
// 10 000 lines of ordinary exchanges (instruction, ACK, reply, our ACK, reply shown), and once
// a flood of long frames has filled its bound in bytes. Prints key=value pairs.
#include "frame.h"
#include "protocol_trace.h"

#include <cstdio>
#include <malloc.h>
#include <string>

namespace {

std::size_t heapInUse()
{
    return mallinfo2().uordblks;
}

void printFigure(const char *name, const ProtocolTrace &trace, std::size_t before)
{
    std::printf("%s_lines=%zu %s_heap_kb=%zu %s_counted_kb=%zu\n",
                name,
                trace.keptLines().size(),
                name,
                (heapInUse() - before) / 1024,
                name,
                trace.keptBytes() / 1024);
}

}  // namespace

int main()
{
    using Direction = ProtocolTrace::Direction;
    const std::string ack(1, kAck);
    std::size_t before = heapInUse();
    {
        ProtocolTrace exchanges;
        for (int i = 0; i < 3000; ++i) {
            const std::string text = "MESURE " + std::to_string(i % 100);
            exchanges.bytesOnLine(i, Direction::ToDevice, buildFrame(text), "instruction");
            exchanges.bytesOnLine(i, Direction::FromDevice, ack, "");
            exchanges.bytesOnLine(i, Direction::FromDevice, buildFrame(text), "checksum juste");
            exchanges.bytesOnLine(i, Direction::ToDevice, ack, "réponse confirmée");
            exchanges.event(i, "réponse affichée : " + text);
        }
        printFigure("exchanges", exchanges, before);
    }
    before = heapInUse();
    ProtocolTrace flood;
    for (int i = 0; i < 10000; ++i)
        flood.bytesOnLine(i, Direction::FromDevice, std::string(4096, 'x'), "hors trame");
    printFigure("flood", flood, before);
}
