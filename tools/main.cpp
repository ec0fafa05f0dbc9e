#include "device_session.h"
#include "fault_picker.h"
#include "line_settings.h"
#include "reply_table.h"
#include "sim_line.h"
#include "sim_log.h"
#include "sim_loop.h"
#include "sim_options.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace sim;

namespace {

SessionSettings sessionSettings(const SimOptions &options, bool pseudoTerminal)
{
    SessionSettings settings;
    if (pseudoTerminal) {
        settings.pacing = options.pacing ? Pacing::Simulated : Pacing::None;
    } else {
        settings.pacing = Pacing::Hardware;
    }
    settings.characterTime = characterTime(options.baud);
    settings.turnaround = std::chrono::milliseconds(options.turnaroundMs);
    settings.gap = std::chrono::milliseconds(options.gapMs);
    settings.ackTimeout = std::chrono::milliseconds(options.ackTimeoutMs);
    settings.unsolicitedEvery = std::chrono::milliseconds(options.unsolicitedEveryMs);
    settings.pieceSizes = options.pieces;
    settings.maskTo7Bits = options.mask;
    settings.floodSize = options.floodSize;
    settings.fixedReply = options.reply;
    return settings;
}

std::string describe(const SimOptions &options, const SessionSettings &settings)
{
    std::string text = std::to_string(options.baud) + " bauds";
    text += settings.pacing == Pacing::Simulated ? ", au rythme de la ligne" : "";
    if (!options.tablePath.empty()) {
        text += ", table " + options.tablePath + " (" + std::to_string(settings.table.size()) +
                " instructions)";
    }
    text += options.reply ? ", réponse \"" + *options.reply + "\"" : "";
    text += options.tablePath.empty() && !options.reply ? ", écho" : "";
    const std::vector<Fault> faults = faultChoices(options);
    if (!faults.empty()) {
        text += ", fautes";
        for (const Fault fault : faults) {
            text += " " + std::string(faultName(fault));
        }
        char rate[32];
        std::snprintf(rate, sizeof rate, "%g", faultRate(options));
        text += options.faultsInTurn ? std::string(" (à tour de rôle)")
                                     : std::string(" (taux ") + rate + ", graine " +
                                           std::to_string(options.seed) + ")";
    }
    return text;
}

}  // namespace

int main(int argc, char **argv)
{
    const ParsedOptions parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::cerr << "comrs232-sim : " << parsed.error << "\n(--help pour l'aide)\n";
        return 2;
    }
    const SimOptions &options = parsed.options;
    if (options.help) {
        std::cout << helpText();
        return 0;
    }

    ElapsedClock clock;
    SimLog log(std::cerr);
    try {
        ReplyTable table;
        if (!options.tablePath.empty()) {
            std::ifstream file(options.tablePath);
            if (!file) {
                std::cerr << "comrs232-sim : table illisible : " << options.tablePath << '\n';
                return 2;
            }
            ReplyTableParse read = parseReplyTable(file);
            for (const std::string &error : read.errors) {
                std::cerr << "comrs232-sim : " << options.tablePath << ", " << error << '\n';
            }
            if (!read.errors.empty()) {
                return 2;
            }
            table = std::move(read.table);
        }

        const bool pseudoTerminal = options.device.empty();
        std::unique_ptr<SimLine> line = pseudoTerminal
                                            ? SimLine::openPseudoTerminal(options.baud)
                                            : SimLine::openDevice(options.device, options.baud);
        std::unique_ptr<LineLink> link;
        if (!options.link.empty()) {
            link = std::make_unique<LineLink>(options.link, line->path());
        }
        std::cout << (pseudoTerminal ? "PTY " : "DEVICE ") << line->path() << std::endl;

        SessionSettings settings = sessionSettings(options, pseudoTerminal);
        settings.table = std::move(table);
        log.event(clock.now(),
                  "simulateur prêt sur " + line->path() + " : " + describe(options, settings));
        DeviceSession session(
            std::move(settings),
            FaultPicker(
                faultChoices(options), faultRate(options), options.seed, options.faultsInTurn),
            log);
        std::optional<Micros> exitAfterIdle;
        if (options.exitAfterIdleSec > 0) {
            exitAfterIdle = std::chrono::seconds(options.exitAfterIdleSec);
        }
        return runSimulator(*line, session, log, clock, exitAfterIdle);
    } catch (const std::exception &error) {
        std::cerr << "comrs232-sim : " << error.what() << '\n';
        return 1;
    }
}
