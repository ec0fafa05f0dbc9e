#include "sim_options.h"

#include "piece_splitter.h"

#include <charconv>
#include <functional>
#include <map>
#include <string_view>

namespace sim {

namespace {

constexpr int kLongestMs = 3'600'000;

template <typename Number>
bool parseNumber(std::string_view text, Number min, Number max, Number &value)
{
    Number parsed{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || parsed < min ||
        parsed > max) {
        return false;
    }
    value = parsed;
    return true;
}

bool parseFaults(std::string_view list, std::vector<Fault> &faults)
{
    faults.clear();
    while (true) {
        const auto comma = list.find(',');
        const auto fault = faultFromName(list.substr(0, comma));
        if (!fault) {
            return false;
        }
        faults.push_back(*fault);
        if (comma == std::string_view::npos) {
            return true;
        }
        list.remove_prefix(comma + 1);
    }
}

using ValueParser = std::function<bool(SimOptions &, std::string_view)>;

const std::map<std::string_view, ValueParser> &valueOptions()
{
    static const std::map<std::string_view, ValueParser> options{
        {"--device",
         [](SimOptions &o, std::string_view v) {
             o.device = v;
             return !v.empty();
         }},
        {"--link",
         [](SimOptions &o, std::string_view v) {
             o.link = v;
             return !v.empty();
         }},
        {"--baud",
         [](SimOptions &o, std::string_view v) {
             return parseNumber(v, 0, 1'000'000, o.baud) && (o.baud == 1200 || o.baud == 9600);
         }},
        {"--turnaround",
         [](SimOptions &o, std::string_view v) {
             return parseNumber(v, 0, kLongestMs, o.turnaroundMs);
         }},
        {"--gap",
         [](SimOptions &o, std::string_view v) { return parseNumber(v, 0, kLongestMs, o.gapMs); }},
        {"--ack-timeout",
         [](SimOptions &o, std::string_view v) {
             return parseNumber(v, 1, kLongestMs, o.ackTimeoutMs);
         }},
        {"--reply",
         [](SimOptions &o, std::string_view v) {
             o.reply = std::string(v);
             return true;
         }},
        {"--table",
         [](SimOptions &o, std::string_view v) {
             o.tablePath = v;
             return !v.empty();
         }},
        {"--pieces",
         [](SimOptions &o, std::string_view v) {
             auto sizes = parsePieceSizes(v);
             if (sizes) {
                 o.pieces = *sizes;
             }
             return sizes.has_value();
         }},
        {"--fault", [](SimOptions &o, std::string_view v) { return parseFaults(v, o.faults); }},
        {"--fault-rate",
         [](SimOptions &o, std::string_view v) {
             double rate = 0;
             if (!parseNumber(v, 0.0, 1.0, rate)) {
                 return false;
             }
             o.faultRate = rate;
             return true;
         }},
        {"--seed",
         [](SimOptions &o, std::string_view v) {
             return parseNumber(v, std::uint32_t{0}, UINT32_MAX, o.seed);
         }},
        {"--unsolicited-every",
         [](SimOptions &o, std::string_view v) {
             return parseNumber(v, 1, kLongestMs, o.unsolicitedEveryMs);
         }},
        {"--flood-size",
         [](SimOptions &o, std::string_view v) {
             return parseNumber(v, std::size_t{1}, std::size_t{1'000'000}, o.floodSize);
         }},
        {"--exit-after-idle",
         [](SimOptions &o, std::string_view v) {
             return parseNumber(v, 1, 86'400, o.exitAfterIdleSec);
         }},
    };
    return options;
}

}  // namespace

ParsedOptions parseOptions(const std::vector<std::string> &arguments)
{
    ParsedOptions parsed;
    SimOptions &options = parsed.options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            continue;
        }
        if (argument == "--no-pacing") {
            options.pacing = false;
            continue;
        }
        if (argument == "--fault-cycle") {
            options.faultsInTurn = true;
            continue;
        }
        if (argument == "--no-mask") {
            options.mask = false;
            continue;
        }

        std::string_view name = argument;
        std::optional<std::string_view> value;
        if (const auto equals = argument.find('='); equals != std::string_view::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
        }
        const auto known = valueOptions().find(name);
        if (known == valueOptions().end()) {
            parsed.error = "option inconnue : " + std::string(argument);
            return parsed;
        }
        if (!value) {
            if (i + 1 == arguments.size()) {
                parsed.error = "valeur manquante après " + std::string(name);
                return parsed;
            }
            value = arguments[++i];
        }
        if (!known->second(options, *value)) {
            parsed.error = "valeur refusée pour " + std::string(name) + " : " + std::string(*value);
            return parsed;
        }
    }
    if (!options.device.empty() && !options.link.empty()) {
        parsed.error = "--link ne sert qu'avec un pseudo-terminal, pas avec --device";
    }
    return parsed;
}

std::vector<Fault> faultChoices(const SimOptions &options)
{
    if (options.faults.empty() && options.faultRate) {
        return allFaults();
    }
    return options.faults;
}

double faultRate(const SimOptions &options)
{
    return options.faultRate.value_or(1.0);
}

std::string helpText()
{
    return R"(Usage : comrs232-sim [OPTIONS]

Simulateur de l'appareil pour comrs232 : joue le côté appareil du protocole
(STX texte ETX + deux chiffres hexadécimaux du checksum, ACK) sur un pseudo-terminal
ou sur un vrai port série. Les options prennent leur valeur en « --nom valeur » ou
« --nom=valeur ».

Ligne
  (par défaut)             crée un pseudo-terminal et écrit sur la sortie standard
                           une ligne « PTY /dev/pts/N » (le chemin à donner à l'outil)
  --link CHEMIN            crée aussi un lien symbolique CHEMIN vers le pseudo-terminal ;
                           un lien déjà là est remplacé ; le lien est retiré à la fin
  --device CHEMIN          utilise un vrai port série (câble null-modem), réglé en
                           7 bits, parité paire, 1 stop ; écrit « DEVICE CHEMIN »
  --baud 1200|9600         vitesse de la ligne (défaut 1200)
  --no-pacing              sur un pseudo-terminal, envoie sans le temps de ligne. Par
                           défaut un caractère compte 10 bits (8,33 ms à 1200 bauds,
                           1,04 ms à 9600) à l'envoi, et une trame reçue n'est traitée
                           qu'après son propre temps de ligne, comme sur une vraie ligne
  --no-mask                garde le 8e bit de ce qui est lu (par défaut masqué : une
                           ligne 7 bits ne le transporte pas)

Réponses
  (par défaut)             renvoie le texte de l'instruction reçue (écho)
  --reply TEXTE            répond toujours TEXTE
  --table FICHIER          une ligne par instruction : « instruction<TAB>réponse » ;
                           lignes vides et lignes commençant par « # » ignorées ;
                           une instruction absente reçoit TEXTE de --reply s'il est
                           donné, sinon l'écho
  --turnaround MS          délai entre la fin de la trame reçue et la réponse (défaut 20)
  --pieces N,N,...         envoie la réponse (de l'ACK au dernier chiffre) en morceaux
                           de ces tailles, la dernière taille se répétant
  --gap MS                 silence entre deux morceaux (défaut 50)
  --ack-timeout MS         attente de l'ACK de l'outil après la réponse (défaut 8000)
  Une trame reçue avec un mauvais checksum est notée et reste sans réponse. Les octets
  hors trame sont notés et ignorés. Une trame commencée puis sans suite pendant 2 s
  est abandonnée.

Fautes
  --fault NOM[,NOM...]     sans --fault-rate, chaque réponse a une de ces fautes (tirée
                           au hasard s'il y en a plusieurs)
  --fault-cycle            les fautes de --fault dans leur ordre, une par réponse, puis
                           de nouveau depuis la première (none pour une bonne réponse)
  --fault-rate P           chaque réponse est fautive avec la probabilité P (0 à 1),
                           la faute étant tirée parmi celles de --fault, ou parmi toutes
  --seed N                 graine du tirage (défaut 1) : même graine, mêmes fautes
  --unsolicited-every MS   envoie « xyz » toutes les MS ms quand aucun échange n'est en cours
  --flood-size N           nombre d'octets de la faute flood (défaut 400)
  Fautes :
    none            réponse correcte
    bad-checksum    chiffres du checksum faux (en majuscules)
    lowercase       bons chiffres, en minuscules ; si aucun n'est une lettre, une
                    lettre est ajoutée au texte pour que la faute se voie
    no-ack          trame de réponse sans l'ACK de tête
    not-stx         ACK puis « ? » à la place de STX
    silence         aucune réponse
    cut-off         ACK, STX et la première moitié du texte, puis plus rien
    unsolicited     réponse correcte, puis « xyz » une fois l'échange fini
    flood           octets au hasard sur 7 bits (jamais ACK en tête) au lieu de la réponse

Fin
  --exit-after-idle S      s'arrête après S secondes sans rien recevoir ni répondre
  SIGINT, SIGTERM          arrêt propre (le lien est retiré)
  Code de sortie : 0 fin normale, 1 ligne impossible à ouvrir ou perdue, 2 mauvaise option.

Journal, sur la sortie d'erreur, horodaté en ms depuis le départ (une ligne OUT par
morceau, notée quand son premier octet a passé la ligne) :
  [       0.2] IN  02 41 42 43 03 34 30  |.ABC.40|
  [       0.2] trame reçue "ABC" : checksum correct
  [       0.2] réponse "ABC"
  [      87.1] OUT 06 02 41 42 43 03 34 30  |..ABC.40|
  [     196.5] IN  06  |.|
  [     196.5] ACK reçu
  ainsi que « ACK non reçu ... », « checksum faux ... », « octets hors trame ignorés »,
  « ACK reçu alors que la réponse était fautive (...) », « la ligne est à 9600 bauds »,
  « N octet(s) avec le 8e bit : perdu sur une ligne 7 bits ».
)";
}

}  // namespace sim
