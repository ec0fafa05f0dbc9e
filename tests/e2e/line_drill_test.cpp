// The line breaks under the real program in every way an operator's line can: each time the
// operator reads the right message, the reply history stays as it was, the program rests while
// the cause lasts, and the line works again once the cause is gone.
#include "e2e_rig.h"
#include "process_cpu.h"
#include "temp_dir.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// setpriv runs the program as another user, keeping the process id and the environment.
const char *const kSetpriv = "/usr/bin/setpriv";

// COM1 is a good simulated device, COM2 is `line`, a path the drill breaks and mends (a link to a
// simulated device, a missing file, a directory ...).
struct LineDrillRig
{
    explicit LineDrillRig(bool asNobody)
    {
        std::vector<std::string> arguments = {"--port1=" + home.device(), "--port2=" + line};
        if (asNobody) {
            ::chmod(home.device().c_str(), 0666);
            arguments.insert(
                arguments.begin(),
                {"--reuid=nobody", "--regid=nogroup", "--clear-groups", COMRS232_PROGRAM});
        }
        program.emplace(arguments, -1, asNobody ? kSetpriv : COMRS232_PROGRAM);
    }
    ~LineDrillRig()
    {
        if (!lock.empty())
            ::unlink(lock.c_str());
    }
    // A simulated device behind `line`, replacing any there.
    Simulator &plugDevice(const std::vector<std::string> &options = {})
    {
        device.reset();
        fs::remove_all(line);
        std::vector<std::string> all = {"--link", line};
        all.insert(all.end(), options.begin(), options.end());
        return device.emplace(all);
    }

    TempDir dir;
    std::string line = dir / "ligne";
    Simulator home;
    std::optional<Simulator> device;
    std::optional<Program> program;
    UniqueFd held;     // the line, when the drill holds it itself
    std::string lock;  // a lock file the drill planted, removed at the end
};

using Step = std::function<void(LineDrillRig &)>;

struct LineDrill
{
    std::string name;
    Step prepare;    // the line as it is before the fault
    Step breakLine;  // the fault, and the instruction meeting it
    std::string message;
    Step mend;
    std::string kind = "box";  // where the message shows: "box" or "Pb_rs"
    bool asNobody = false;
};

const std::string kLost = "8020\nErreur d'exécution";
const std::string kMissing = "Mauvaise liaison série. \n      Erreur : 8005";
const std::string kBusy = "Liaison série déjà utilisée. \n Erreur : 8013";
const std::string kDenied = "Liaison série non gérée. \n     Erreur : 8010";

// The fault, then the operator sends an instruction that meets it.
Step thenInstruct(Step fault)
{
    return [fault](LineDrillRig &rig) {
        fault(rig);
        rig.program->instruct("X");
    };
}

const Step nothing = [](LineDrillRig &) {};
const Step instruct = thenInstruct(nothing);
const Step plug = [](LineDrillRig &rig) { rig.plugDevice(); };
const Step unplug = [](LineDrillRig &rig) { rig.device.reset(); };
const Step regularFile = [](LineDrillRig &rig) { std::ofstream(rig.line) << "pas un terminal\n"; };
const Step folder = [](LineDrillRig &rig) { fs::create_directory(rig.line); };
const Step linkToNothing = [](LineDrillRig &rig) {
    fs::create_symlink(rig.dir / "rien", rig.line);
};
const Step holdLine = [](LineDrillRig &rig) {
    rig.held = UniqueFd(::open(rig.device->device().c_str(), O_RDWR | O_NOCTTY));
    ASSERT_EQ(::flock(rig.held.get(), LOCK_EX | LOCK_NB), 0);
};
const Step letGo = [](LineDrillRig &rig) { rig.held = UniqueFd(); };
const Step removeLock = [](LineDrillRig &rig) { ::unlink(rig.lock.c_str()); };
const Step openToAll = [](LineDrillRig &rig) { ::chmod(rig.device->device().c_str(), 0666); };

// The line in use on COM2: one exchange done on it.
Step inUse(std::vector<std::string> options)
{
    return [options](LineDrillRig &rig) {
        Simulator &device = rig.plugDevice(options);
        ASSERT_TRUE(replyShown(*rig.program, device, "OUVRE", "OUVRE"));
        ASSERT_TRUE(journalHolds(device, "ACK reçu", 1));
    };
}

// The operator sends `instruction`; the device goes `ms` after its journal has `count` lines
// holding `text`.
Step vanishAfter(const std::string &instruction, const std::string &text, int count, int ms)
{
    return [=](LineDrillRig &rig) {
        rig.program->instruct(instruction);
        ASSERT_TRUE(journalHolds(*rig.device, text, count));
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        rig.device.reset();
    };
}

// A lock file for the line as another program leaves it, `content` or else a FIFO, where other
// programs look: in the first lock folder that may be written, named after the device itself.
Step plantLock(const std::optional<std::string> &content)
{
    return thenInstruct([content](LineDrillRig &rig) {
        const fs::path device = fs::canonical(rig.device->device());
        for (const char *folder : {"/run/lock", "/var/lock"}) {
            if (rig.lock.empty() && ::access(folder, W_OK) == 0)
                rig.lock = std::string(folder) + "/LCK.." + device.filename().string();
        }
        if (rig.lock.empty())
            GTEST_SKIP() << "no lock folder may be written here";
        if (content)
            std::ofstream(rig.lock) << *content;
        else
            ASSERT_EQ(::mkfifo(rig.lock.c_str(), 0644), 0);
    });
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
    // Whatever nobody may not read, it cannot start: the program, and the robot it loads.
    const std::string nobodyReads = std::string(kSetpriv) + " --reuid=nobody --regid=nogroup " +
                                    "--clear-groups test -x " COMRS232_PROGRAM " -a -r " +
                                    ROBOT_PLUGIN_PATH
                                    "/generic/libcomrs_operator_robot.so 2>/dev/null";
    if (drill.asNobody && (::getuid() != 0 || std::system(nobodyReads.c_str()) != 0))
        GTEST_SKIP() << "needs root, setpriv and a build that the user nobody may read";
    LineDrillRig rig(drill.asNobody);
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
    // Every message box is closed, until none has come for a second. A line lost under an
    // exchange may fail the step after it too, on the closed port: two boxes at most.
    int boxes = 0;
    for (int shown = reportsOf(program, "box", since); shown > boxes && boxes < 5;
         shown = reportsOf(program, "box", since)) {
        boxes = shown;
        program.order("box Cancel");
        program.order("box Ok");
        waitUntil(
            {}, [&] { return reportsOf(program, "box", since) > boxes; }, std::chrono::seconds(1));
    }
    EXPECT_LE(boxes, drill.kind == "box" ? 2 : 0);
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
        LineDrill{
            "vanishesWhileIdle", inUse({}), unplug, "Problème RS232: Erreur 8020", plug, "Pb_rs"},
        LineDrill{"heldByAnotherProgram", plug, thenInstruct(holdLine), kBusy, letGo},
        LineDrill{"lockedByARunningProcess", plug, plantLock("         1\n"), kBusy, removeLock},
        // Reading a FIFO would wait for a writer for ever.
        LineDrill{"lockFileIsAFifo", plug, plantLock(std::nullopt), kBusy, removeLock},
        LineDrill{"pathMissing", nothing, instruct, kMissing, plug},
        LineDrill{"pathIsARegularFile", nothing, thenInstruct(regularFile), kMissing, plug},
        LineDrill{"pathIsAFolder", nothing, thenInstruct(folder), kMissing, plug},
        LineDrill{"pathIsALinkToNothing", nothing, thenInstruct(linkToNothing), kMissing, plug},
        LineDrill{"permissionDenied", plug, instruct, kDenied, openToAll, "box", true}),
    [](const testing::TestParamInfo<LineDrill> &info) { return info.param.name; });

}  // namespace
