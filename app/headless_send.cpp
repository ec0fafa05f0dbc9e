#include "headless_send.h"

#include "argument_presets.h"
#include "command_line.h"
#include "console_view.h"
#include "held_lines.h"
#include "input_lines.h"
#include "instruction_check.h"
#include "qt_engine_seams.h"
#include "trace_tap.h"
#include "traitrs.h"

#include <QString>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unistd.h>

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
    // One exchange; the status that ends the run, or nothing when the next instruction may go.
    const auto send = [&](const std::string &instruction) -> std::optional<int> {
        view.startInstruction();
        journal.beginExchange(instruction, gesRS.voie_serie_Select, gesRS.Select_Vitesse_9600);
        gesRS.FlagRS232 = false;
        gesRS.envoicom(instruction);
        journal.endExchange();
        // What was received without passing the checks is no reply.
        traitRS.reponse[0].clear();
        if (view.portFailed())
            return headless_status::kPortFailure;
        // Nobody reads the replies any more (a full disk, a closed pipe): going on would act
        // on the device with nobody told what it answered.
        if (const int error = view.replyWriteError(); error != 0) {
            std::fprintf(stderr,
                         "comrs232 : la réponse à « %s » n'a pas pu s'écrire sur la sortie "
                         "standard (%s) ; envoi arrêté\n",
                         instruction.c_str(),
                         std::strerror(error));
            return headless_status::kStreamFailure;
        }
        if (!view.replyVerified()) {
            view.noteUnverified(instruction);
            status = headless_status::kProtocolProblem;
        }
        return std::nullopt;
    };

    // Every instruction, from the command line or from standard input; the run's status.
    const auto sendAll = [&]() -> int {
        if (!commandLine.instructionsFromInput) {
            for (const std::string &instruction : commandLine.instructions) {
                if (const std::optional<int> end = send(instruction))
                    return *end;
            }
            return status;
        }

        // Each line goes out as soon as it is whole: a coprocess writes its next instruction only
        // once it has read the reply to this one.
        InputLines input(STDIN_FILENO, kTransmitBufferSize);
        while (const std::optional<InputLines::Line> line = input.next()) {
            if (const std::string problem = instructionProblem(line->text, line->length);
                !problem.empty()) {
                std::fprintf(stderr, "%s\n", problem.c_str());
                std::fflush(stderr);
                status = headless_status::kProtocolProblem;
            } else if (const std::optional<int> end = send(line->text)) {
                return *end;
            }
        }
        if (input.error() != 0) {
            std::fprintf(stderr,
                         "comrs232 : l'entrée standard ne se lit pas (%s) ; envoi arrêté\n",
                         std::strerror(input.error()));
            return headless_status::kStreamFailure;
        }
        return status;
    };
    // Closed on every way out, so that lines a full disk held back are still told.
    const int end = sendAll();
    journal.close();
    return end;
}
