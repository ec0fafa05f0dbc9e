#pragma once

#include <array>
#include <string>
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
    int timeoutMs = 0;                      // --timeout-ms N for a run without window; 0 none
    /// A console mode (--send, --list-ports, --timeout-ms) was asked for: its usage errors
    /// end with status 64.
    bool console = false;
    bool trace = false;       // --trace: the protocol trace on standard error
    std::string journalPath;  // --journal FILE: one line per exchange appended to FILE
    std::string error;        // for the operator, in French; empty when the line is sound
};

/// `devicePaths` are the defaults that --port1=PATH .. --port4=PATH replace.
CommandLine parseCommandLine(const std::vector<std::string> &arguments,
                             std::array<std::string, 4> devicePaths);

/// What --help prints.
std::string usageText();
