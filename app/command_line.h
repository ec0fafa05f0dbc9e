#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

/// The program's arguments (Qt's own options already taken out), sorted out.
struct CommandLine
{
    /// The arguments joined with single spaces, without the --portN= options nor the texts
    /// of --send: the presets read only this, so a device path or an instruction holding
    /// "9600" or "com2" presets nothing.
    std::string argumentText;
    std::array<std::string, 4> devicePaths;  // COM1 .. COM4
    bool showHelp = false;
    bool listPorts = false;
    std::vector<std::string> instructions;  // --send TEXT, in order: sent without a window
    bool instructionsFromInput = false;     // --send -: one instruction a line of standard input
    int timeoutMs = 0;                      // --timeout-ms N for a run without window; 0 none
    /// A console mode (--send, --list-ports, --timeout-ms) was asked for: a word besides the
    /// options must then be a port or speed word.
    bool console = false;
    bool trace = false;       // --trace: the protocol trace on standard error
    std::string journalPath;  // --journal FILE: one line per exchange appended to FILE
    std::string error;        // for the operator, in French; empty when the line is sound
};

/// `devicePaths` are the defaults that --port1=PATH .. --port4=PATH replace.
CommandLine parseCommandLine(const std::vector<std::string> &arguments,
                             std::array<std::string, 4> devicePaths);

/// Why `text` cannot go out with --send, for the operator in French, or "" when it can. The one
/// check for instructions from the command line and from standard input; `length` is the whole
/// instruction's, of which `text` may hold only the start when it is too long to keep.
std::string instructionProblem(std::string_view text, std::size_t length);

/// `text` as it can be shown on a terminal: bytes outside printable ASCII as their code, "<1B>".
std::string shownText(std::string_view text);

/// What --help prints.
std::string usageText();
