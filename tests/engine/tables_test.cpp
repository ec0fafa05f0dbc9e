// The frame and the line-event texts, from their tables.
#include "frame.h"
#include "line_events.h"
#include "operator_text.h"

#include <gtest/gtest.h>

namespace {

TEST(Frame, isStxTextEtxAndTheTwoUppercaseChecksumDigits)
{
    // A sum below 16 keeps its leading zero; a byte above 127 counts with all eight bits.
    const std::pair<std::string, std::string> examples[] = {
        {"V", "56"}, {"\\", "5C"}, {"ABC", "40"}, {"", "00"}, {"AK", "0A"}, {"\xE9", "E9"}};
    for (const auto &[text, digits] : examples)
        EXPECT_EQ(buildFrame(text), "\x02" + text + "\x03" + digits) << text;
}

TEST(LineEvents, eachCodeGivesItsExactTextAndTheOthersNoneReadAfreshForEachRow)
{
    const std::pair<int, std::string> table[] = {
        {3, "Changement sur signal (CTS) détecté"},
        {4, "Changement sur signal (DSR) détecté"},
        {5, "Changement sur signal  DCD) détecté"},
        {6, "Sonnerie Détectée"},
        {7, "Fin de fichier détectée"},
        {1007, "Délai d'attente sur signal (DCD) expiré"},
        {1002, "Délai d'attente sur signal (CTS) expiré"},
        {1011, "Erreur d'extraction de Bloc de contrôle de périphérique (DCB)"},
        {1003, "Délai d'attente sur signal (DSR) expiré"},
        {1004, "Erreur de trame"},
        {1006, "Overrun error"},
        {1008, "Dépassement du tampon de réception"},
        {1009, "Erreur de parité"},
        {1010, "Tampon de transmission plein"}};
    for (const auto &[code, text] : table)
        EXPECT_EQ(lineEventText([code = code] { return code; }), latin1(text)) << code;
    // Characters sent and received, a break, nothing and the unknown are silent.
    for (const int code : {0, 1, 2, 1001, 1005})
        EXPECT_EQ(lineEventText([code] { return code; }), "") << code;
    // The event is read afresh for each row, in table order: when it changes between readings,
    // the second row (DSR) must see the second reading.
    const int readings[] = {0, 4, 3, 3};
    int reads = 0;
    EXPECT_EQ(lineEventText([&] { return readings[reads++]; }),
              latin1("Changement sur signal (DSR) détecté"));
    reads = 0;
    EXPECT_EQ(lineEventText([&] { return ++reads, 1010; }), "Tampon de transmission plein");
    EXPECT_EQ(reads, 14);
}

}  // namespace
