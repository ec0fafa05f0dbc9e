#include "line_events.h"

#include <array>

namespace {

struct LineEvent
{
    int code;
    const char *text;
};

// Tried in this order; the first code that matches gives the text. Texts are Latin-1.
// "Changement sur signal  DCD) détecté" is the operator text as it has always read: keep it.
// clang-format off
constexpr std::array<LineEvent, 14> kLineEvents{{
    {3, "Changement sur signal (CTS) d\xE9tect\xE9"},
    {4, "Changement sur signal (DSR) d\xE9tect\xE9"},
    {5, "Changement sur signal  DCD) d\xE9tect\xE9"},
    {6, "Sonnerie D\xE9tect\xE9" "e"},
    {7, "Fin de fichier d\xE9tect\xE9" "e"},
    {1007, "D\xE9lai d'attente sur signal (DCD) expir\xE9"},
    {1002, "D\xE9lai d'attente sur signal (CTS) expir\xE9"},
    {1011, "Erreur d'extraction de Bloc de contr\xF4le de p\xE9riph\xE9rique (DCB)"},
    {1003, "D\xE9lai d'attente sur signal (DSR) expir\xE9"},
    {1004, "Erreur de trame"},
    {1006, "Overrun error"},
    {1008, "D\xE9passement du tampon de r\xE9" "ception"},
    {1009, "Erreur de parit\xE9"},
    {1010, "Tampon de transmission plein"},
}};
// clang-format on

}  // namespace

std::string lineEventText(const std::function<int()> &readCommEvent)
{
    for (const LineEvent &event : kLineEvents) {
        if (readCommEvent() == event.code)
            return event.text;
    }
    return {};
}
