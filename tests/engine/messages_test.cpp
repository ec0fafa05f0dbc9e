#include "failure_messages.h"
#include "latin1.h"
#include "line_events.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct EventCase
{
    int code;
    std::string text;  // UTF-8, as the operator reads it
};

class LineEvents : public ::testing::TestWithParam<EventCase>
{};

TEST_P(LineEvents, codeGivesItsExactText)
{
    const EventCase &c = GetParam();
    EXPECT_EQ(lineEventText([&] { return c.code; }), latin1(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    LineEvents,
    ::testing::Values(EventCase{3, "Changement sur signal (CTS) détecté"},
                      EventCase{4, "Changement sur signal (DSR) détecté"},
                      EventCase{5, "Changement sur signal  DCD) détecté"},
                      EventCase{6, "Sonnerie Détectée"},
                      EventCase{7, "Fin de fichier détectée"},
                      EventCase{1007, "Délai d'attente sur signal (DCD) expiré"},
                      EventCase{1002, "Délai d'attente sur signal (CTS) expiré"},
                      EventCase{1011,
                                "Erreur d'extraction de Bloc de contrôle de périphérique (DCB)"},
                      EventCase{1003, "Délai d'attente sur signal (DSR) expiré"},
                      EventCase{1004, "Erreur de trame"},
                      EventCase{1006, "Overrun error"},
                      EventCase{1008, "Dépassement du tampon de réception"},
                      EventCase{1009, "Erreur de parité"},
                      EventCase{1010, "Tampon de transmission plein"},
                      // Characters sent and received, a break, nothing and the unknown: silent.
                      EventCase{0, ""},
                      EventCase{1, ""},
                      EventCase{2, ""},
                      EventCase{1001, ""},
                      EventCase{1005, ""}));

TEST(LineEventTranslation, readsTheEventAfreshForEachRowInTableOrder)
{
    // The event changes between readings: the second row (DSR) must see the second reading.
    std::vector<int> readings{0, 4, 3, 3};
    std::size_t next = 0;
    EXPECT_EQ(lineEventText([&] { return readings.at(next++); }),
              latin1("Changement sur signal (DSR) détecté"));
    EXPECT_EQ(next, 2u);

    int reads = 0;
    EXPECT_EQ(lineEventText([&] { return ++reads, 1010; }), "Tampon de transmission plein");
    EXPECT_EQ(reads, 14);
}

TEST(ErrorNumbers, carryOneLeadingSpaceOrTheMinusSignInItsPlace)
{
    EXPECT_EQ(formatErrorNumber(8018), " 8018");
    EXPECT_EQ(formatErrorNumber(0), " 0");
    EXPECT_EQ(formatErrorNumber(-5), "-5");
    EXPECT_EQ(formatErrorNumber(-2147483647 - 1), "-2147483648");
}

TEST(ExchangeFailureBox, readsErreurDExecutionUnderTheNumberedTitle)
{
    EXPECT_EQ(exchangeFailureText(), latin1("Erreur d'exécution"));
    EXPECT_EQ(exchangeFailureTitle(8018), "Erreur   8018");
    EXPECT_EQ(problemCaption("Erreur 8020"), latin1("Problème RS232: Erreur 8020"));
}

}  // namespace
