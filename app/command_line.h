#pragma once

#include <array>
#include <string>
#include <vector>

/// The program's arguments (Qt's own options already taken out), sorted out.
struct CommandLine
{
    /// The arguments joined with single spaces, without the --portN= options: the presets read
    /// only this, so a device path holding "9600" or "com2" presets nothing.
    std::string argumentText;
    std::array<std::string, 4> devicePaths;  // COM1 .. COM4
    bool showHelp = false;
    bool trace = false;  // --trace: the protocol trace on standard error
    std::string error;   // for the operator, in French; empty when the line is sound
};

/// `devicePaths` are the defaults that --port1=PATH .. --port4=PATH replace.
CommandLine parseCommandLine(const std::vector<std::string> &arguments,
                             std::array<std::string, 4> devicePaths);

/// What --help prints.
std::string usageText();
