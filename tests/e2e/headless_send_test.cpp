// Sending without a window: what a script reads on each stream, and the exit status.
#include "e2e_rig.h"

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

std::string contentsOf(const std::string &path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct SendCase
{
    std::vector<std::string> simulator;
    std::vector<std::string> arguments;  // after --port1=<the simulator's line>
    int status;
    std::string out;
    std::string err;            // what the error stream holds
    std::string stdoutTo = {};  // a redirection or pipe of standard output instead of a file
};

const SendCase kSendCases[] = {
    {{}, {"--send", "ETAT", "--send=A B", "--trace"}, 0, "ETAT\nA B\n", "<STX>ETAT<ETX>"},
    // Without --send the window needs a display: a plain word and status, no abort.
    {{}, {}, 1, "", "aucun écran n'est joignable"},
    // A reply stays one line, and cannot drive the terminal.
    {{"--reply", "A\nB\x1B[1m"}, {"--send", "ETAT"}, 0, "A<0A>B<1B>[1m\n", ""},
    {{"--fault", "no-ack"}, {"--send", "ETAT"}, 1, "", "Problème RS232: PAS D'ACK RECU\n"},
    // The first instruction's settling wait alone outlasts the deadline.
    {{}, {"--send", "ETAT", "--timeout-ms", "500"}, 1, "", "comrs232 : délai de 500 ms dépassé"},
    {{}, {"--send", "ETAT", "--port1=/dev/none"}, 2, "", "Mauvaise liaison série. Erreur : 8005\n"},
    // The disk is full: the run goes on, and the exchange the journal lost is on stderr.
    {{}, {"--send", "ETAT", "--journal", "/dev/full"}, 0, "ETAT\n", ",1200,ETAT,réponse,ETAT\r\n"},
    // A good instruction before a bad one does not go out either.
    {{}, {"--send", "ETAT", "--send", "\xC3\xA9"}, 64, "", "« <C3><A9> »"},
    // A mistyped option must not leave the instruction to COM1's device.
    {{}, {"--port1", "/dev/ttyUSB0", "--send", "ETAT"}, 64, "", "« --port1 »"},
    // A reply that cannot be written out is no success, and the line is not the output.
    // With standard output closed, descriptor 1 went to Qt's event counter, which takes
    // eight bytes, "ABCDEFG\n", without a murmur.
    {{"--reply", "ABCDEFG"}, {"--send", "ETAT"}, 74, "", "sortie standard", " >&-"},
    // A closed pipe, SIGPIPE ignored as the script asked: an error said, not death by the signal.
    {{}, {"--send", "ETAT"}, 74, "", "sortie standard", " | true"},
};

TEST(HeadlessSend, printsRepliesAndProblemsAndEndsWithItsStatus)
{
    const std::string base = testing::TempDir() + "headless-" + std::to_string(::getpid());
    for (const SendCase &expected : kSendCases) {
        SCOPED_TRACE(testing::PrintToString(expected.arguments) + expected.stdoutTo);
        Simulator device(expected.simulator);
        // Run to its end through the shell, as a script would, with no display of any kind in its
        // environment and SIGPIPE ignored. The status goes through a file: a pipeline's would be
        // its reader's.
        std::string command =
            "(trap '' PIPE; env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
            std::string(COMRS232_PROGRAM) + " '--port1=" + device.device() + "'";
        for (const std::string &argument : expected.arguments)
            command += " '" + argument + "'";  // no argument here holds a quote
        for (const char *stale : {".out", ".status"})
            std::remove((base + stale).c_str());
        command += "; echo $? >" + base + ".status) 2>" + base + ".err" +
                   (expected.stdoutTo.empty() ? " >" + base + ".out" : expected.stdoutTo);
        [[maybe_unused]] const int shell = std::system(command.c_str());

        EXPECT_EQ(contentsOf(base + ".status"), std::to_string(expected.status) + "\n");
        EXPECT_EQ(contentsOf(base + ".out"), expected.out);
        const std::string err = contentsOf(base + ".err");
        EXPECT_NE(err.find(expected.err), std::string::npos) << err;
        if (expected.status == 64) {
            device.journal().drain();
            EXPECT_TRUE(device.bytesIn().empty());
        }
    }
}

// A coprocess writes its next instruction only once it has read the answer to the last: each
// line must go out as it comes, not when the input ends.
TEST(HeadlessSend, instructionsFromInputAreAnsweredOneLineAtATime)
{
    // What is written, and the reply line, or else what the problem line holds.
    const std::tuple<std::string, bool, std::string> steps[] = {
        {"A B\r\n", true, "A B"},
        {"A\x1B[1m\n", false, "« A<1B>[1m »"},
        {std::string(600, 'X') + "\n", false, "de 600 caractères"},
        {"FIN\n", true, "FIN"},
    };
    Simulator device;
    Pipe in, out, err;
    ChildProcess program(
        COMRS232_PROGRAM,
        {{"--port1=" + device.device(), "--send", "-"},
         {},
         {{in.readEnd.get(), 0}, {out.writeEnd.get(), 1}, {err.writeEnd.get(), 2}}});
    in.readEnd = UniqueFd();
    out.writeEnd = UniqueFd();
    err.writeEnd = UniqueFd();
    LineReader replies(std::move(out.readEnd));
    LineReader problems(std::move(err.readEnd));

    for (const auto &[written, answered, text] : steps) {
        SCOPED_TRACE(written);
        LineReader &stream = answered ? replies : problems;
        const std::size_t before = stream.lines().size();
        ASSERT_EQ(::write(in.writeEnd.get(), written.data(), written.size()),
                  static_cast<ssize_t>(written.size()));
        ASSERT_TRUE(
            waitUntil({&replies, &problems}, [&] { return stream.lines().size() > before; }));
        const std::string &line = stream.lines().back();
        EXPECT_TRUE(answered ? line == text : line.find(text) != std::string::npos) << line;
    }
    in.writeEnd = UniqueFd();
    EXPECT_EQ(program.wait(), 1);
}

}  // namespace
