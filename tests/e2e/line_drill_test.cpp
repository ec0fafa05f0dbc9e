// The line breaks under the real program in every way an operator's line can: each time the
// operator reads the right message, the reply history stays as it was, the program rests while
// the cause lasts, and the line works again once the cause is gone.
#include "e2e_rig.h"
#include "process_cpu.h"

#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>

namespace {

struct LineDrill
{
    std::string name;
    std::function<void(LineDrillRig &)> prepare;    // the line as it is before the fault
    std::function<void(LineDrillRig &)> breakLine;  // the fault, and the instruction meeting it
    std::string message;
    std::function<void(LineDrillRig &)> mend;
    std::string kind = "box";  // where the message shows: "box" or "Pb_rs"
    RunAs who = RunAs::Us;
};

const std::string kLost = "8020\nErreur d'exécution";
const std::string kMissing = "Mauvaise liaison série. \n      Erreur : 8005";
const std::string kBusy = "Liaison série déjà utilisée. \n Erreur : 8013";
const std::string kDenied = "Liaison série non gérée. \n     Erreur : 8010";

void nothing(LineDrillRig &) {}

void plug(LineDrillRig &rig)
{
    rig.plugDevice();
}

void instruct(LineDrillRig &rig)
{
    rig.program->instruct("X");
}

// The line in use on COM2: one exchange done on it.
std::function<void(LineDrillRig &)> inUse(std::vector<std::string> options)
{
    return [options](LineDrillRig &rig) {
        Simulator &device = rig.plugDevice(options);
        ASSERT_TRUE(replyShown(*rig.program, device, "OUVRE", "OUVRE"));
        ASSERT_TRUE(journalHolds(device, "ACK reçu", 1));
    };
}

// The operator sends `instruction`; the device goes `ms` after its journal has `count` lines
// holding `text`.
std::function<void(LineDrillRig &)>
vanishAfter(const std::string &instruction, const std::string &text, int count, int ms)
{
    return [=](LineDrillRig &rig) {
        rig.program->instruct(instruction);
        ASSERT_TRUE(journalHolds(*rig.device, text, count));
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        rig.unplugDevice();
    };
}

std::function<void(LineDrillRig &)> plantLock(const std::string &content, bool fifo = false)
{
    return [content, fifo](LineDrillRig &rig) {
        rig.lock = lockFilePath(rig.device->device());
        if (rig.lock.empty())
            GTEST_SKIP() << "no lock folder may be written here";
        if (fifo)
            ASSERT_EQ(::mkfifo(rig.lock.c_str(), 0644), 0);
        else
            std::ofstream(rig.lock) << content;
        instruct(rig);
    };
}

void removeLock(LineDrillRig &rig)
{
    ::unlink(rig.lock.c_str());
}

// Closes every message box that shows, until none has come for a second; returns how many
// there were. A line lost under an exchange may fail the step after it too, on the closed port.
int dismissBoxes(Program &program, std::size_t since)
{
    const auto boxes = [&] { return reportsOf(program, "box", since); };
    int answered = 0;
    for (int shown = boxes(); shown > answered && answered < 5; shown = boxes()) {
        answered = shown;
        program.order("box Cancel");
        program.order("box Ok");
        waitUntil(
            {}, [&] { return boxes() > answered; }, std::chrono::seconds(1));
    }
    return answered;
}

void PrintTo(const LineDrill &drill, std::ostream *out)
{
    *out << drill.name;
}

class LineDrillTest : public testing::TestWithParam<LineDrill>
{};

TEST_P(LineDrillTest, tellsTheOperatorRestsAndRecovers)
{
    const LineDrill &drill = GetParam();
    if (drill.who == RunAs::Nobody && !canRunAsNobody())
        GTEST_SKIP() << "needs root, setpriv and a build that the user nobody may read";
    LineDrillRig rig(drill.who);
    Program &program = *rig.program;
    ASSERT_TRUE(replyShown(program, rig.home, "AVANT", "AVANT"));
    program.order("menu port2");
    drill.prepare(rig);
    if (HasFatalFailure() || IsSkipped())
        return;
    const std::vector<std::string> before = history(program);

    const std::size_t since = program.reports().size();
    drill.breakLine(rig);
    if (HasFatalFailure() || IsSkipped())
        return;
    ASSERT_TRUE(reported(program, drill.kind, drill.message, since));
    EXPECT_LE(dismissBoxes(program, since), drill.kind == "box" ? 2 : 0);
    EXPECT_EQ(history(program), before);
    const double cpuBefore = cpuMilliseconds(program.pid());
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_LT((cpuMilliseconds(program.pid()) - cpuBefore) / 30.0, 2.0);  // percent of a core

    drill.mend(rig);
    ASSERT_TRUE(replyShown(program, *rig.device, "APRES", "APRES"));
}

// The first piece of the reply comes inside the post-send wait, the rest 300 ms later.
const std::vector<std::string> kSlowReply = {
    "--turnaround", "200", "--pieces", "3,100", "--gap", "300"};

INSTANTIATE_TEST_SUITE_P(
    Drills,
    LineDrillTest,
    testing::Values(
        LineDrill{"vanishesDuringAReply",
                  inUse(kSlowReply),
                  vanishAfter("X", "OUT", 2, 200),
                  kLost,
                  plug},
        // "V" waits 1500 ms after sending; the device answers only after it.
        LineDrill{"vanishesDuringThePostSendWait",
                  inUse({"--turnaround", "1200"}),
                  vanishAfter("V", "trame reçue", 2, 0),
                  kLost,
                  plug},
        LineDrill{"vanishesWhileIdle",
                  inUse({}),
                  [](LineDrillRig &rig) { rig.unplugDevice(); },
                  "Problème RS232: Erreur 8020",
                  plug,
                  "Pb_rs"},
        LineDrill{"heldByAnotherProgram",
                  plug,
                  [](LineDrillRig &rig) {
                      rig.held = UniqueFd(::open(rig.device->device().c_str(), O_RDWR | O_NOCTTY));
                      ASSERT_EQ(::flock(rig.held.get(), LOCK_EX | LOCK_NB), 0);
                      instruct(rig);
                  },
                  kBusy,
                  [](LineDrillRig &rig) { rig.held = UniqueFd(); }},
        LineDrill{"lockedByARunningProcess", plug, plantLock("         1\n"), kBusy, removeLock},
        // Reading a FIFO would wait for a writer for ever.
        LineDrill{"lockFileIsAFifo", plug, plantLock("", true), kBusy, removeLock},
        LineDrill{"pathMissing", nothing, instruct, kMissing, plug},
        LineDrill{"pathIsARegularFile",
                  nothing,
                  [](LineDrillRig &rig) {
                      std::ofstream(rig.line) << "pas un terminal\n";
                      instruct(rig);
                  },
                  kMissing,
                  plug},
        LineDrill{"pathIsAFolder",
                  nothing,
                  [](LineDrillRig &rig) {
                      std::filesystem::create_directory(rig.line);
                      instruct(rig);
                  },
                  kMissing,
                  plug},
        LineDrill{"pathIsALinkToNothing",
                  nothing,
                  [](LineDrillRig &rig) {
                      std::filesystem::create_symlink(rig.dir.path() / "rien", rig.line);
                      instruct(rig);
                  },
                  kMissing,
                  plug},
        LineDrill{"permissionDenied",
                  plug,
                  instruct,
                  kDenied,
                  [](LineDrillRig &rig) { ::chmod(rig.device->device().c_str(), 0666); },
                  "box",
                  RunAs::Nobody}),
    [](const testing::TestParamInfo<LineDrill> &info) { return info.param.name; });

}  // namespace
