// The one place that knows both sides: the Qt and termios versions of the engine's seams, the
// engine and the window.
#include "command_line.h"
#include "comrs232.h"
#include "french_translations.h"
#include "gesrs.h"
#include "held_lines.h"
#include "qt_clock.h"
#include "qt_data_watcher.h"
#include "qt_event_pump.h"
#include "qt_one_shot_timer.h"
#include "start_up.h"
#include "termios_serial_port.h"
#include "traitrs.h"

#include <QApplication>
#include <QFile>
#include <cstdio>
#include <cstdlib>

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

}  // namespace

int main(int argc, char *argv[])
{
    // Help and mistakes are answered before Qt looks for a display.
    const CommandLine given = parseCommandLine(argumentsOf(argc, argv), {});
    if (given.showHelp) {
        std::fputs(usageText().c_str(), stdout);
        return EXIT_SUCCESS;
    }
    if (!given.error.empty()) {
        std::fprintf(stderr, "%s\n\n%s", given.error.c_str(), usageText().c_str());
        return 2;
    }

    QApplication app(argc, argv);
    // The set-up failure box shows the application's name as its title. No display name is
    // set: Qt would append it to every window title.
    QCoreApplication::setApplicationName(QStringLiteral("comrs232"));
    installFrenchTranslations(app);
    const CommandLine commandLine =
        parseCommandLine(argumentsLeftByQt(), TermiosSerialPort::defaultDevicePaths());

    QtDataWatcher dataWatcher;  // outlives the port, which tells it when the line closes
    TermiosSerialPort MSComm1(commandLine.devicePaths);
    releaseHeldLinesOnTerminationSignals();
    MSComm1.setDataWatcher(&dataWatcher);
    QtOneShotTimer Time_Wait;
    QtOneShotTimer Timer_car;
    QtOneShotTimer Timer_mes;
    QtOneShotTimer pollTimer;
    QtEventPump events;
    QtClock clock;
    TraitRS traitRS;

    ComRS232 window(pollTimer, traitRS);
    GesRS gesRS({MSComm1, Time_Wait, Timer_car, Timer_mes, events, clock, window}, traitRS);
    window.attach(gesRS);
    window.setProgramEnd([] {
        // Closing the window ends the program at once, also from inside an exchange's wait:
        // nothing more goes out on the line, and no close of the port can hold the end up.
        releaseHeldLines();
        std::_Exit(EXIT_SUCCESS);
    });

    startUp(window, gesRS, commandLine.argumentText);
    return app.exec();
}
