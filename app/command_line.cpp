#include "command_line.h"

#include "frame.h"
#include "instruction_check.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace {

constexpr std::string_view kPortOption = "--port";
constexpr std::string_view kSendOption = "--send";
constexpr std::string_view kTimeoutOption = "--timeout-ms";
constexpr std::string_view kFromInput = "-";  // --send -: the instructions come from standard input
constexpr std::string_view kJournalOption = "--journal";

// "--portN=PATH" with N from 1 to 4: the index of COMN, or -1 for any other argument.
int portOptionIndex(const std::string &argument)
{
    if (argument.size() < kPortOption.size() + 2 || !argument.starts_with(kPortOption) ||
        argument[kPortOption.size() + 1] != '=')
        return -1;
    const char digit = argument[kPortOption.size()];
    return digit >= '1' && digit <= '4' ? digit - '1' : -1;
}

// The words the presets read, as a console mode takes them: whole arguments, so that a
// mistyped option or a stray path is refused instead of leaving the script on COM1.
bool isPortOrSpeedWord(const std::string &argument)
{
    static constexpr std::string_view kWords[] = {
        "com2", "COM2", "com3", "COM3", "com4", "COM4", "9600"};
    return std::ranges::find(kWords, argument) != std::end(kWords);
}

bool parseTimeout(const std::string &value, int &timeoutMs)
{
    const char *end = value.data() + value.size();
    const auto [stop, failure] = std::from_chars(value.data(), end, timeoutMs);
    return failure == std::errc() && stop == end && timeoutMs > 0;
}

// An option taking a value, as "--name VALUE" or "--name=VALUE". Advances `i` past the value
// when it is the next argument; false when the argument is not this option.
bool takeValue(const std::vector<std::string> &arguments,
               std::size_t &i,
               std::string_view option,
               std::optional<std::string> &value)
{
    const std::string &argument = arguments[i];
    if (argument == option) {
        if (i + 1 < arguments.size())
            value = arguments[++i];
        return true;
    }
    if (argument.starts_with(option) && argument.size() > option.size() &&
        argument[option.size()] == '=') {
        value = argument.substr(option.size() + 1);
        return true;
    }
    return false;
}

}  // namespace

std::string shownText(std::string_view text)
{
    std::string shown;
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        shown += code >= 32 && code <= 126 ? std::string(1, c) : byteCode(code);
    }
    return shown;
}

std::string instructionProblem(std::string_view text, std::size_t length)
{
    if (length == 0)
        return "comrs232 : instruction vide dans --send";
    if (length == text.size() && !isTransmittable(text))
        return "comrs232 : l'instruction « " + shownText(text) +
               " » contient un caractère que la ligne ne peut pas transmettre (accent, "
               "caractère de contrôle) ; seuls les caractères ASCII imprimables passent";
    // The engine takes this text for a poll: nothing would go out, and before a first exchange
    // the poll would never end.
    if (text == kPollInstruction)
        return "comrs232 : l'instruction « " + std::string(text) +
               " » ne peut pas être envoyée : l'outil s'en sert pour interroger la ligne";
    if (length == text.size() && instructionRefusal(std::string(text)).empty())
        return {};
    return "comrs232 : l'instruction de " + std::to_string(length) +
           " caractères ne tient pas, avec sa trame, dans le tampon de transmission de " +
           std::to_string(kTransmitBufferSize) + " caractères";
}

CommandLine parseCommandLine(const std::vector<std::string> &arguments,
                             std::array<std::string, 4> devicePaths)
{
    CommandLine commandLine;
    commandLine.devicePaths = std::move(devicePaths);
    const auto fail = [&commandLine](std::string message) {
        if (commandLine.error.empty())
            commandLine.error = std::move(message);
    };
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        std::optional<std::string> value;
        if (argument == "--help") {
            commandLine.showHelp = true;
        } else if (argument == "--trace") {
            commandLine.trace = true;
        } else if (argument == "--list-ports") {
            commandLine.listPorts = commandLine.console = true;
        } else if (takeValue(arguments, i, kSendOption, value)) {
            commandLine.console = true;
            if (!value)
                fail("comrs232 : --send attend le texte de l'instruction");
            else if (*value == kFromInput)
                commandLine.instructionsFromInput = true;
            else if (const std::string problem = instructionProblem(*value, value->size());
                     !problem.empty())
                fail(problem);
            else
                commandLine.instructions.push_back(*value);
        } else if (takeValue(arguments, i, kTimeoutOption, value)) {
            commandLine.console = true;
            if (!value || !parseTimeout(*value, commandLine.timeoutMs))
                fail("comrs232 : --timeout-ms attend un nombre de millisecondes plus grand "
                     "que 0");
        } else if (takeValue(arguments, i, kJournalOption, value)) {
            if (!value || value->empty())
                fail("comrs232 : --journal attend le chemin d'un fichier");
            else
                commandLine.journalPath = *value;
        } else if (const int index = portOptionIndex(argument); index >= 0) {
            std::string path = argument.substr(kPortOption.size() + 2);
            if (path.empty())
                fail("comrs232 : chemin de périphérique vide dans " + argument);
            else
                commandLine.devicePaths[static_cast<std::size_t>(index)] = std::move(path);
        } else if (argument.starts_with("--")) {
            fail("comrs232 : option inconnue « " + shownText(argument) + " »");
        } else {
            rest.push_back(argument);
        }
    }
    const bool sends = !commandLine.instructions.empty() || commandLine.instructionsFromInput;
    // Listing the ports would end the run before anything is sent, yet report success.
    if (commandLine.listPorts && sends)
        fail("comrs232 : --list-ports ne s'emploie pas avec --send");
    if (commandLine.timeoutMs > 0 && !sends)
        fail("comrs232 : --timeout-ms ne s'emploie qu'avec --send");
    // Taking both would leave the order of the two sources to guess.
    if (commandLine.instructionsFromInput && !commandLine.instructions.empty())
        fail("comrs232 : --send - ne s'emploie pas avec d'autres --send");
    if (commandLine.console) {
        const auto stray = std::ranges::find_if_not(rest, isPortOrSpeedWord);
        if (stray != rest.end())
            fail("comrs232 : argument inconnu « " + shownText(*stray) +
                 " » ; sans fenêtre, seuls com2, com3, com4 (ou COM2, COM3, COM4) et 9600 "
                 "s'ajoutent aux options");
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
           "        comrs232 [OPTIONS DE PORT] --send TEXTE [--send TEXTE ...] "
           "[--timeout-ms N] [--trace]\n"
           "        comrs232 [OPTIONS DE PORT] --send - [--timeout-ms N] [--trace]\n"
           "        comrs232 [--port1=CHEMIN] ... [--port4=CHEMIN] --list-ports\n"
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
           "  --journal FICHIER  ajoute au fichier une ligne CSV par échange : heure, port,\n"
           "                     vitesse, instruction, issue et réponse ou problème\n"
           "  --help             affiche cette aide et quitte\n"
           "\n"
           "Le port et la vitesse se changent ensuite par les menus « Port Série » et "
           "« Vitesse ».\n"
           "\n"
           "Sans fenêtre ni écran :\n"
           "  --send TEXTE       envoie l'instruction TEXTE (ASCII imprimable) ; répétée, les\n"
           "                     instructions partent l'une après l'autre, avec les mêmes\n"
           "                     attentes que dans la fenêtre. Chaque réponse vérifiée\n"
           "                     s'écrit sur la sortie standard, chaque problème sur la\n"
           "                     sortie d'erreur\n"
           "  --send -           lit les instructions sur l'entrée standard, une par ligne,\n"
           "                     chacune envoyée dès qu'elle arrive, jusqu'à la fin de l'entrée\n"
           "  --timeout-ms N     abandonne l'ensemble des envois après N ms\n"
           "  --list-ports       liste les ports série présents et le périphérique de\n"
           "                     chaque COM\n"
           "\n"
           "Code de sortie de --send : 0 toutes les réponses vérifiées, 1 un problème de\n"
           "protocole (pas de réponse, mauvais checksum, pas d'ACK, délai dépassé...),\n"
           "2 une défaillance du port série, 64 une mauvaise utilisation, 74 la sortie standard\n"
           "ne s'écrit pas (ou l'entrée standard ne se lit pas).\n";
}
