// The one place that knows both sides: the Qt and termios versions of the engine's seams, the
// engine and the window.
#include "com_item_tips.h"
#include "command_line.h"
#include "comrs232.h"
#include "french_translations.h"
#include "gesrs.h"
#include "headless_send.h"
#include "held_lines.h"
#include "instruction_history.h"
#include "no_display.h"
#include "port_listing.h"
#include "qt_engine_seams.h"
#include "qt_one_shot_timer.h"
#include "start_up.h"
#include "termios_serial_port.h"
#include "trace_tap.h"
#include "trace_window.h"
#include "traitrs.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::vector<std::string> argumentsOf(int argc, char *argv[])
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::vector<std::string> argumentsLeftByQt()
{
    std::vector<std::string> arguments;
    const QStringList all = QCoreApplication::arguments();
    for (qsizetype i = 1; i < all.size(); ++i)
        arguments.push_back(QFile::encodeName(all[i]).toStdString());
    return arguments;
}

// A standard descriptor left closed by whoever started us goes to the next file opened: Qt's
// event counter, which swallows an eight-byte reply line, or the serial line, where replies and
// warnings would reach the device. Each is taken by /dev/null opened the other way round, so
// that any use of it fails and is reported.
void reserveClosedStandardDescriptors()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        const int reserve = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (reserve >= 0 && reserve != fd) {
            ::dup2(reserve, fd);
            ::close(reserve);
        }
    }
}

// Standard output for --help and --list-ports: a text that cannot be written is said.
int printed(const std::string &text)
{
    if (std::fputs(text.c_str(), stdout) != EOF && std::fflush(stdout) == 0)
        return EXIT_SUCCESS;
    std::fprintf(
        stderr, "comrs232 : la sortie standard ne s'écrit pas (%s)\n", std::strerror(errno));
    return headless_status::kStreamFailure;
}

}  // namespace

int main(int argc, char *argv[])
{
    reserveClosedStandardDescriptors();
    // Help and mistakes are answered before Qt looks for a display.
    const CommandLine given =
        parseCommandLine(argumentsOf(argc, argv), TermiosSerialPort::defaultDevicePaths());
    if (given.showHelp)
        return printed(usageText());
    if (!given.error.empty()) {
        std::fprintf(stderr, "%s\n\n%s", given.error.c_str(), usageText().c_str());
        return headless_status::kBadUsage;
    }
    // The console modes branch off before QApplication, which would want a display.
    if (given.listPorts)
        return printed(portListing(PortFinder(), given.devicePaths));
    if (!given.instructions.empty() || given.instructionsFromInput) {
        QCoreApplication app(argc, argv);
        return runHeadlessSend(given);
    }

    NoDisplayGuard noDisplay;
    QApplication app(argc, argv);
    noDisplay.end();
    // The set-up failure box shows the application's name as its title. No display name is
    // set: Qt would append it to every window title.
    QCoreApplication::setApplicationName(QStringLiteral("comrs232"));
    installFrenchTranslations(app);
    const CommandLine commandLine =
        parseCommandLine(argumentsLeftByQt(), TermiosSerialPort::defaultDevicePaths());

    QtEngineSeams seams(commandLine.devicePaths);
    releaseHeldLinesOnTerminationSignals();
    QtOneShotTimer pollTimer;
    TraitRS traitRS;

    ComRS232 window(pollTimer, traitRS);
    // The trace sits around the port and the window; it only forwards until someone listens.
    TraceTap tap(seams.platform(window), traitRS);
    GesRS gesRS(tap.platform(), traitRS);
    window.attach(gesRS);
    InstructionHistory history(InstructionHistory::defaultPath());
    window.setInstructionHistory(&history);
    if (commandLine.trace)
        tap.traceToStandardError();
    ExchangeJournal &journal = tap.journal();
    journal.setDevicePaths(commandLine.devicePaths);
    journal.setComplaint([&window](const std::string &text) {
        window.Pb_rs->setText(QString::fromUtf8(text));
        window.Pb_rs->setVisible(true);
    });
    window.setExchangeJournal(&journal);
    offerTraceWindow(window, tap.trace(), &journal);
    window.setProgramEnd([&journal] {
        // Closing the window ends the program at once, also from inside an exchange's wait:
        // nothing more goes out on the line, and no close of the port can hold the end up.
        releaseHeldLines();
        journal.close();
        std::_Exit(EXIT_SUCCESS);
    });

    startUp(window, gesRS, commandLine.argumentText);
    if (!commandLine.journalPath.empty())
        journal.open(commandLine.journalPath);
    const PortFinder portFinder;
    describeComItems(window, portFinder, commandLine.devicePaths);
    return app.exec();
}
