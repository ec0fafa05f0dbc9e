#include "headless_send.h"

#include "argument_presets.h"
#include "command_line.h"
#include "console_view.h"
#include "held_lines.h"
#include "qt_engine_seams.h"
#include "trace_tap.h"
#include "traitrs.h"

#include <QString>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

int runHeadlessSend(const CommandLine &commandLine)
{
    QtEngineSeams seams(commandLine.devicePaths);
    releaseHeldLinesOnTerminationSignals();
    TraitRS traitRS;
    ConsoleView view(traitRS, stdout, stderr);
    TraceTap tap(seams.platform(view), traitRS);
    if (commandLine.trace)
        tap.traceToStandardError();
    GesRS gesRS(tap.platform(), traitRS);
    ExchangeJournal &journal = tap.journal();
    journal.setDevicePaths(commandLine.devicePaths);
    journal.setComplaint([](const std::string &text) {
        const QByteArray local = QString::fromUtf8(text).toLocal8Bit();
        std::fprintf(stderr, "comrs232 : %s\n", local.constData());
    });
    if (!commandLine.journalPath.empty())
        journal.open(commandLine.journalPath);

    const ArgumentPresets presets = presetsFrom(commandLine.argumentText);
    gesRS.voie_serie_Select = presets.port;
    gesRS.Select_Vitesse_9600 = presets.speed9600;

    // The engine's waits cannot be left from outside, so the deadline ends the process where
    // it stands, as closing the window does, with nothing more going out on the line.
    QTimer deadline;
    if (commandLine.timeoutMs > 0) {
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, [&commandLine, &journal] {
            std::fprintf(stderr,
                         "comrs232 : délai de %d ms dépassé, envoi abandonné\n",
                         commandLine.timeoutMs);
            journal.noteProblem("d\xE9lai d\xE9pass\xE9");
            journal.endExchange();
            journal.close();
            std::fflush(stdout);
            std::fflush(stderr);
            releaseHeldLines();
            std::_Exit(headless_status::kProtocolProblem);
        });
        deadline.start(commandLine.timeoutMs);
    }

    int status = headless_status::kAllVerified;
    for (const std::string &instruction : commandLine.instructions) {
        view.startInstruction();
        journal.beginExchange(instruction, gesRS.voie_serie_Select, gesRS.Select_Vitesse_9600);
        gesRS.FlagRS232 = false;
        gesRS.envoicom(instruction);
        journal.endExchange();
        // What was received without passing the checks is no reply.
        traitRS.reponse[0].clear();
        if (view.portFailed()) {
            status = headless_status::kPortFailure;
            break;
        }
        if (!view.replyVerified()) {
            view.noteUnverified(instruction);
            status = headless_status::kProtocolProblem;
        }
    }
    journal.close();
    return status;
}
