// Sending without a window: what a script reads on each stream, and the exit status.
#include "e2e_rig.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string contentsOf(const std::string &path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct SendCase
{
    std::string name;
    std::vector<std::string> simulator;
    std::vector<std::string> arguments;  // after --port1=<the simulator's line>
    int status;
    std::string out;
    std::string err;  // what the error stream holds
};

void PrintTo(const SendCase &sendCase, std::ostream *out)
{
    *out << sendCase.name;
}

class HeadlessSend : public testing::TestWithParam<SendCase>
{};

TEST_P(HeadlessSend, printsRepliesAndProblemsAndEndsWithItsStatus)
{
    const SendCase &expected = GetParam();
    Simulator device(expected.simulator);
    // Run to its end through the shell, as a script would, with no display of any kind in its
    // environment.
    const std::string base = testing::TempDir() + "headless-" + std::to_string(::getpid());
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " COMRS232_PROGRAM
                          " --port1=" +
                          device.device();
    for (std::string argument : expected.arguments) {
        for (std::size_t at = 0; (at = argument.find('\'', at)) != std::string::npos; at += 4)
            argument.replace(at, 1, "'\\''");
        command += " '" + argument + "'";
    }
    const int wait = std::system((command + " >" + base + ".out 2>" + base + ".err").c_str());

    EXPECT_EQ(WIFEXITED(wait) ? WEXITSTATUS(wait) : -1, expected.status);
    EXPECT_EQ(contentsOf(base + ".out"), expected.out);
    const std::string err = contentsOf(base + ".err");
    EXPECT_NE(err.find(expected.err), std::string::npos) << err;
    if (expected.status == 64) {
        device.journal().drain();
        EXPECT_TRUE(device.bytesIn().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Simulated,
    HeadlessSend,
    testing::Values(
        SendCase{"verified", {}, {"--send", "ETAT", "--send=A B"}, 0, "ETAT\nA B\n", ""},
        // Without --send the window needs a display: a plain word and status, no abort.
        SendCase{"windowWithoutDisplay", {}, {}, 1, "", "aucun écran n'est joignable"},
        SendCase{"traced", {}, {"--send", "ETAT", "--trace"}, 0, "ETAT\n", "<STX>ETAT<ETX>"},
        // A reply stays one line, and cannot drive the terminal.
        SendCase{"controlsInReply",
                 {"--reply", "A\nB\x1B[1m"},
                 {"--send", "ETAT"},
                 0,
                 "A<0A>B<1B>[1m\n",
                 ""},
        SendCase{"noAck",
                 {"--fault", "no-ack"},
                 {"--send", "ETAT"},
                 1,
                 "",
                 "Problème RS232: PAS D'ACK RECU\n"},
        // The first instruction's settling wait alone outlasts the deadline.
        SendCase{"timedOut",
                 {},
                 {"--send", "ETAT", "--timeout-ms", "500"},
                 1,
                 "",
                 "comrs232 : délai de 500 ms dépassé"},
        SendCase{"missingDevice",
                 {},
                 {"--send", "ETAT", "--port1=/dev/comrs232-missing"},
                 2,
                 "",
                 "Mauvaise liaison série. Erreur : 8005\n"},
        // A good instruction before a bad one does not go out either.
        SendCase{"accent", {}, {"--send", "ETAT", "--send", "\xC3\xA9"}, 64, "", "comrs232 : "}),
    [](const testing::TestParamInfo<SendCase> &info) { return info.param.name; });

}  // namespace
