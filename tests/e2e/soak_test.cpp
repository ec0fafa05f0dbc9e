// Thousands of exchanges of the real program with a device that answers wrongly at random,
// checked against the device's own journal. COMRS_SOAK_EXCHANGES sets how many (500 unless set).
#include "e2e_rig.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <numeric>
#include <thread>

namespace {

using namespace std::chrono_literals;

// What the operator must read for each fault of the simulator; empty: a good reply.
const std::map<std::string, std::string> kFaultTexts = {
    {"bad-checksum", "Problème RS232: PB MAUVAIS CHECKSUM"},
    {"lowercase", "Problème RS232: PB MAUVAIS CHECKSUM"},
    {"no-ack", "Problème RS232: PAS D'ACK RECU"},
    {"not-stx", "Problème RS232: PAS DE RECEPTION STX"},
    {"silence", "Problème RS232: ABSENCE DE REPONSE"},
    {"cut-off", "Problème RS232: ABSENCE DE REPONSE"},
    {"flood", "Problème RS232: "},
    {"unsolicited", ""},
};

int openDescriptors(pid_t pid)
{
    const std::filesystem::directory_iterator fds("/proc/" + std::to_string(pid) + "/fd");
    return static_cast<int>(std::distance(fds, std::filesystem::directory_iterator()));
}

double average(const std::vector<long> &samples, std::size_t from, std::size_t to)
{
    return std::accumulate(samples.begin() + static_cast<std::ptrdiff_t>(from),
                           samples.begin() + static_cast<std::ptrdiff_t>(to),
                           0.0) /
           static_cast<double>(to - from);
}

TEST(Soak, everyGoodReplyShownOnceAndEveryFaultReported)
{
    const char *asked = std::getenv("COMRS_SOAK_EXCHANGES");
    const int exchanges = asked ? std::atoi(asked) : 500;
    Simulator device(
        {"--baud=9600", "--fault-rate=0.2", "--seed=7", "--ack-timeout=400", "--no-pacing"});
    Program program({"--port1=" + device.device(), "9600"});
    // The simulator's journal read on from where it was left: the next line holding `text`.
    std::size_t journalAt = 0;
    const auto nextLine = [&](const std::string &text) {
        std::optional<std::string> found;
        waitUntil({&device.journal()}, [&] {
            const std::vector<std::string> &lines = device.journal().lines();
            for (; journalAt < lines.size() && !found; ++journalAt) {
                if (lines[journalAt].find(text) != std::string::npos)
                    found = lines[journalAt];
            }
            return found.has_value();
        });
        return found;
    };

    int goodExpected = 0, goodShown = 0, faultsExpected = 0, faultsReported = 0;
    std::vector<long> rss;
    int firstFds = -1;
    std::string misses;
    std::string previousFault;
    for (int n = 0; n < exchanges; ++n) {
        const std::string instruction = "S" + std::to_string(n);
        const std::size_t since = program.reports().size();
        program.instruct(instruction);
        const std::optional<std::string> answer = nextLine("réponse \"");
        ASSERT_TRUE(answer) << "no answer to " << instruction;
        const std::size_t faultAt = answer->find("(faute ");
        const std::string fault =
            faultAt == std::string::npos
                ? ""
                : answer->substr(faultAt + 7, answer->find(')', faultAt) - faultAt - 7);
        const std::string expected = fault.empty() ? "" : kFaultTexts.at(fault);
        if (expected.empty()) {
            ++goodExpected;
            if (program.waitFor("RxWin0", instruction, since, {&device.journal()}))
                ++goodShown;
            else
                misses += "  " + instruction + " not shown\n";
        } else {
            ++faultsExpected;
            // The caption may already read the same: then it is looked at once the exchange ends.
            const auto told = [&] { return reportsOf(program, "Pb_rs", since, expected) > 0; };
            waitUntil({&device.journal()}, told, 1500ms);
            if (told() || program.state().at("Pb_rs").starts_with(expected))
                ++faultsReported;
            else
                misses += "  " + instruction + " (" + fault + ", after " + previousFault +
                          ") not reported\n";
            // One report a second at most: the next fault must find the throttle idle.
            std::this_thread::sleep_for(1100ms);
        }
        // The device closes the exchange: the tool's ACK, or none within its wait.
        if (answer->find("rien n'est envoyé") == std::string::npos) {
            ASSERT_TRUE(nextLine("ACK"));
        }
        // Stray bytes the device sends after an exchange: the next one waits until the polls
        // have taken them, or they would stand before its reply.
        // The polls report them too, and that report holds back the next one for a second.
        if (fault == "unsolicited") {
            ASSERT_TRUE(nextLine("OUT 78 79 7A"));
            std::this_thread::sleep_for(1100ms);
        }
        if (n % 50 == 49)
            std::this_thread::sleep_for(300ms);  // idle polling
        previousFault = fault.empty() ? "none" : fault;
        rss.push_back(residentKb(program.pid()));
        firstFds = n == 0 ? openDescriptors(program.pid()) : firstFds;
    }

    device.journal().drain();
    const int acksForBad = device.count("ACK reçu alors que la réponse était fautive");
    int shownTwice = 0;
    std::map<std::string, int> shownCount;
    for (const RobotReport &report : program.reports())
        shownTwice += report.kind == "RxWin0" && ++shownCount[report.text] > 1;
    const std::size_t window = std::max<std::size_t>(1, rss.size() / 10);
    const double rssGrowthPct =
        100.0 * (average(rss, rss.size() - window, rss.size()) / average(rss, 0, window) - 1.0);
    const long fdGrowth = openDescriptors(program.pid()) - firstFds;
    std::cout << "exchanges=" << exchanges << " good_expected=" << goodExpected
              << " good_shown=" << goodShown - shownTwice << " faults_expected=" << faultsExpected
              << " faults_reported=" << faultsReported << " acks_for_bad=" << acksForBad
              << " rss_growth_pct=" << rssGrowthPct << " fd_growth=" << fdGrowth << std::endl;
    EXPECT_EQ(goodShown - shownTwice, goodExpected) << misses;
    EXPECT_EQ(faultsReported, faultsExpected) << misses;
    EXPECT_EQ(acksForBad, 0);
    EXPECT_LT(rssGrowthPct, 5.0);
    EXPECT_EQ(fdGrowth, 0);
}

}  // namespace
