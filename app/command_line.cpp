#include "command_line.h"

namespace {

constexpr std::string_view kPortOption = "--port";

// "--portN=PATH" with N from 1 to 4: the index of COMN, or -1 for any other argument.
int portOptionIndex(const std::string &argument)
{
    if (argument.size() < kPortOption.size() + 2 || !argument.starts_with(kPortOption) ||
        argument[kPortOption.size() + 1] != '=')
        return -1;
    const char digit = argument[kPortOption.size()];
    return digit >= '1' && digit <= '4' ? digit - '1' : -1;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string> &arguments,
                             std::array<std::string, 4> devicePaths)
{
    CommandLine commandLine;
    commandLine.devicePaths = std::move(devicePaths);
    std::vector<std::string> rest;
    for (const std::string &argument : arguments) {
        if (argument == "--help") {
            commandLine.showHelp = true;
            continue;
        }
        if (argument == "--trace") {
            commandLine.trace = true;
            continue;
        }
        const int index = portOptionIndex(argument);
        if (index < 0) {
            rest.push_back(argument);
            continue;
        }
        std::string path = argument.substr(kPortOption.size() + 2);
        if (path.empty()) {
            commandLine.error = "comrs232: chemin de périphérique vide dans " + argument;
            continue;
        }
        commandLine.devicePaths[static_cast<std::size_t>(index)] = std::move(path);
    }
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (i > 0)
            commandLine.argumentText += ' ';
        commandLine.argumentText += rest[i];
    }
    return commandLine;
}

std::string usageText()
{
    return "Usage : comrs232 [--port1=CHEMIN] ... [--port4=CHEMIN] [--trace] [com2|com3|com4] "
           "[9600]\n"
           "\n"
           "Envoie des instructions à un appareil par liaison série RS232 et affiche ses "
           "réponses.\n"
           "\n"
           "  com2, com3, com4   port série de départ (COM1 par défaut) ; COM2 ... COM4 aussi\n"
           "  9600               vitesse de départ 9600 bauds (1200 par défaut)\n"
           "  --portN=CHEMIN     périphérique du port COMN, N de 1 à 4\n"
           "                     (par défaut /dev/ttyS0 ... /dev/ttyS3)\n"
           "  --trace            écrit la trace du protocole sur la sortie d'erreur\n"
           "                     (Ctrl+T ou F12 l'affiche dans une fenêtre)\n"
           "  --help             affiche cette aide et quitte\n"
           "\n"
           "Le port et la vitesse se changent ensuite par les menus « Port Série » et "
           "« Vitesse ».\n";
}
