// Where the real program stands against the simulated device: time from Enter to the reply
// shown against its floor, processor use while it polls and while it waits, and how soon it
// sees a character that arrives while a reception waits. The program runs offscreen with the
// operator robot, whose reports carry CLOCK_MONOTONIC times comparable with ours.
//
// Prints table rows (figure, comrs232, yardstick "-"), then one line of key=value pairs.
#include "frame.h"
#include "process_cpu.h"
#include "pty_device.h"
#include "robot_program.h"
#include "simulator_process.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRounds = 20;
constexpr int kInputRounds = 100;  // instructions through --send -

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double milliseconds(long long nanoseconds)
{
    return static_cast<double>(nanoseconds) / 1e6;
}

class ExchangeBench
{
public:
    ExchangeBench(const std::string &program, const std::string &sim)
        : m_slow(sim, {"--turnaround", "0"})
        , m_fast(sim, {"--baud", "9600", "--turnaround", "0", "--ack-timeout", "7000"})
        , m_program(program,
                    ROBOT_PLUGIN_PATH,
                    {"--port1=" + m_slow.device(),
                     "--port2=" + m_fast.device(),
                     "--port3=" + m_device.path()})
    {
        expect("ready");
    }

    /// Processor use in % of one core over `spanMs`, after `settleMs` of letting it be.
    double cpuPercent(int settleMs, int spanMs)
    {
        pause(settleMs);
        const double before = cpuMilliseconds(m_program.pid());
        const long long start = monotonicNanoseconds();
        pause(spanMs);
        const double used = cpuMilliseconds(m_program.pid()) - before;
        return used * 100.0 / milliseconds(monotonicNanoseconds() - start);
    }

    /// Sends `instruction` (echoed by the simulator); the time from Enter to the reply shown.
    double exchangeMs(const std::string &instruction)
    {
        const std::size_t since = m_program.reports().size();
        m_program.instruct(instruction);
        const RobotReport entered = expect("enter", std::nullopt, since);
        const RobotReport shown = expect("RxWin0", instruction, since);
        return milliseconds(shown.nanoseconds - entered.nanoseconds);
    }

    /// Median of the rounds of Enter to reply shown, after a warm-up that takes the line set-up
    /// and any settling wait out.
    double medianExchangeMs()
    {
        exchangeMs("CHAUD");
        std::vector<double> times;
        for (int round = 0; round < kRounds; ++round)
            times.push_back(exchangeMs(roundText(round)));
        return median(times);
    }

    void choose(const std::string &menuItem) { m_program.order("menu " + menuItem); }

    /// Processor use while "\" waits out its 6000 ms post-send wait.
    double waitCpuPercent()
    {
        const std::size_t since = m_program.reports().size();
        m_program.instruct("\\");
        expect("enter", std::nullopt, since);
        const double percent = cpuPercent(300, 5000);
        expect("RxWin0", "\\", since);
        return percent;
    }

    /// The benchmark plays the device on its own pseudo-terminal: the reply's first piece
    /// leaves the tool waiting inside the reply text, the rest is sent at a known instant.
    /// Median of the time from that instant to the reply shown.
    double medianReactionMs()
    {
        deviceExchange("CHAUD", false);
        std::vector<double> reactions;
        for (int round = 0; round < kRounds; ++round)
            reactions.push_back(deviceExchange(roundText(round), true));
        return median(reactions);
    }

private:
    static std::string roundText(int round)
    {
        // A new text each round: the reply box reports only a change.
        char text[8];
        std::snprintf(text, sizeof text, "M%02d", round);
        return text;
    }

    double deviceExchange(const std::string &instruction, bool inTwoPieces)
    {
        const std::size_t since = m_program.reports().size();
        m_program.instruct(instruction);
        if (m_device.readFrame(15000) != buildFrame(instruction))
            throw std::runtime_error("no frame for " + instruction + " on the benchmark's line");
        const std::string reply = kAck + buildFrame(instruction);
        const std::size_t firstPiece = inTwoPieces ? 3 : reply.size();  // ACK, STX, one character
        m_device.write(reply.substr(0, firstPiece));
        // Past the post-send wait (100 ms at 9600 baud), well within the 500 ms watchdog.
        pause(250);
        const long long sent = monotonicNanoseconds();
        m_device.write(reply.substr(firstPiece));
        const RobotReport shown = expect("RxWin0", instruction, since);
        m_device.drain();
        return milliseconds(shown.nanoseconds - sent);
    }

    void pause(int ms)
    {
        waitUntil(
            sources(), [] { return false; }, std::chrono::milliseconds(ms));
    }

    std::vector<LineReader *> sources() { return {&m_slow.journal(), &m_fast.journal()}; }

    RobotReport expect(const std::string &kind,
                       std::optional<std::string_view> text = std::nullopt,
                       std::size_t since = 0)
    {
        const auto report =
            m_program.waitFor(kind, text, since, {&m_slow.journal(), &m_fast.journal()});
        if (!report)
            throw std::runtime_error("the program never reported " + kind);
        return *report;
    }

    SimulatorProcess m_slow;
    SimulatorProcess m_fast;
    PtyDevice m_device;
    RobotProgram m_program;
};

/// Line time of the frame and of the echoed reply (ACK, STX, text, ETX, two digits), 10 bits a
/// character.
double lineTimeMs(std::size_t instructionLength, int baud)
{
    const double characters =
        static_cast<double>((instructionLength + 4) + (instructionLength + 6));
    return characters * 10 * 1000 / baud;
}

/// The earliest the reply can be shown. The device answers during the post-send wait, so the
/// floor is the longer of the two, not their sum (the sum would flatter every figure).
double floorMs(std::size_t instructionLength, int postSendMs, int baud)
{
    return std::max<double>(postSendMs, lineTimeMs(instructionLength, baud));
}

struct OverFloor
{
    double median;
    double max;
    long beyondGoal;  // how many came more than 2 ms over
};

/// Instructions through --send - at 9600 baud, each written once the reply to the last has been
/// read, as a coprocess does: how far over its floor each reply comes, after a first instruction
/// that takes the settling wait.
OverFloor inputOverFloor(const std::string &program, const std::string &sim, int rounds)
{
    SimulatorProcess device(sim, {"--baud", "9600", "--turnaround", "0"});
    Pipe in, out;
    ChildProcess sender(program,
                        {{"--port1=" + device.device(), "9600", "--send", "-"},
                         {},
                         {{in.readEnd.get(), STDIN_FILENO}, {out.writeEnd.get(), STDOUT_FILENO}}});
    in.readEnd = UniqueFd();
    out.writeEnd = UniqueFd();
    LineReader replies(std::move(out.readEnd));
    const auto exchangeMs = [&](const std::string &instruction) {
        const std::string line = instruction + "\n";
        const std::size_t before = replies.lines().size();
        const long long start = monotonicNanoseconds();
        if (::write(in.writeEnd.get(), line.data(), line.size()) !=
                static_cast<ssize_t>(line.size()) ||
            !waitUntil({&replies, &device.journal()},
                       [&] { return replies.lines().size() > before; }) ||
            replies.lines().back() != instruction)
            throw std::runtime_error("no reply to " + instruction + " through --send -");
        return milliseconds(monotonicNanoseconds() - start);
    };
    exchangeMs("CHAUD");
    std::vector<double> over;
    for (int round = 0; round < rounds; ++round) {
        const std::string text = "P" + std::to_string(1000 + round).substr(1);
        over.push_back(exchangeMs(text) - floorMs(text.size(), 100, 9600));
    }
    in.writeEnd = UniqueFd();
    sender.wait();
    return {median(over),
            *std::max_element(over.begin(), over.end()),
            std::count_if(over.begin(), over.end(), [](double ms) { return ms > 2.0; })};
}

void row(const char *figure, const std::string &value)
{
    std::printf("%-46s %12s %12s\n", figure, value.c_str(), "-");
}

std::string fixed(double value, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

int main(int argc, char *argv[])
{
    std::string sim = COMRS232_SIM;
    std::string program = COMRS232_PROGRAM;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--sim") == 0)
            sim = argv[i + 1];
        else if (std::strcmp(argv[i], "--program") == 0)
            program = argv[i + 1];
    }

    try {
        ExchangeBench bench(program, sim);
        // Polls run from start-up; the first lasts until the first instruction.
        const double firstPoll = bench.cpuPercent(500, 3000);
        const double at1200 = bench.medianExchangeMs();
        bench.choose("port2");
        bench.choose("SPEED2");
        const double at9600 = bench.medianExchangeMs();
        const double idle = bench.cpuPercent(500, 5000);
        const double wait = bench.waitCpuPercent();
        bench.choose("port3");
        const double reaction = bench.medianReactionMs();

        const double floor1200 = floorMs(3, 400, 1200);
        const double floor9600 = floorMs(3, 100, 9600);
        row("Enter to reply shown, 1200 Bd, median ms", fixed(at1200, 1));
        row("  its floor, ms", fixed(floor1200, 1));
        row("  post-send wait + line times, ms", fixed(400 + lineTimeMs(3, 1200), 1));
        row("Enter to reply shown, 9600 Bd, median ms", fixed(at9600, 1));
        row("  its floor, ms", fixed(floor9600, 1));
        row("  post-send wait + line times, ms", fixed(100 + lineTimeMs(3, 9600), 1));
        row("CPU in the first poll after start-up, %", fixed(firstPoll, 2));
        row("CPU while idle (polling), %", fixed(idle, 2));
        row("CPU in the 6000 ms wait of \"\\\", %", fixed(wait, 2));
        row("Arriving character to reply shown, median ms", fixed(reaction, 2));
        const OverFloor fromInput = inputOverFloor(program, sim, kInputRounds);
        row("--send -, 9600 Bd, reply over floor, median ms", fixed(fromInput.median, 1));
        row("  its max over 100 instructions, ms", fixed(fromInput.max, 1));
        row("  instructions over it by more than 2 ms", std::to_string(fromInput.beyondGoal));
        std::printf(
            "reply_over_floor_ms_1200=%s reply_over_floor_ms_9600=%s idle_cpu_pct=%s "
            "wait_cpu_pct=%s first_poll_cpu_pct=%s char_reaction_ms=%s "
            "input_over_floor_ms_median=%s input_over_floor_ms_max=%s input_beyond_2ms=%ld\n",
            fixed(at1200 - floor1200, 1).c_str(),
            fixed(at9600 - floor9600, 1).c_str(),
            fixed(idle, 2).c_str(),
            fixed(wait, 2).c_str(),
            fixed(firstPoll, 2).c_str(),
            fixed(reaction, 2).c_str(),
            fixed(fromInput.median, 1).c_str(),
            fixed(fromInput.max, 1).c_str(),
            fromInput.beyondGoal);
    } catch (const std::exception &failure) {
        std::fprintf(stderr, "comrs_bench_exchange: %s\n", failure.what());
        return 1;
    }
    return 0;
}
