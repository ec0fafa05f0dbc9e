#include "failure_messages.h"

#include "comm_error.h"

std::string problemCaption(std::string_view text)
{
    std::string caption(kProblemPrefix);
    caption += text;
    return caption;
}

std::string formatErrorNumber(std::int32_t number)
{
    const std::string digits = std::to_string(number);
    return number < 0 ? digits : " " + digits;
}

// clang-format off
std::string setupFailureText(std::int32_t number)
{
    // The labels differ in their leading spaces (six, one, five) as the operators know them.
    switch (number) {
    case comm_errors::kDeviceMissing:
        return " Mauvaise liaison s\xE9rie. \r      Erreur :" + formatErrorNumber(number);
    case comm_errors::kPortBusy:
        return " Liaison s\xE9rie d\xE9j\xE0 utilis\xE9" "e. \r Erreur :" + formatErrorNumber(number);
    default:
        return "Liaison s\xE9rie non g\xE9r\xE9" "e. \r     Erreur :" + formatErrorNumber(number);
    }
}

std::string exchangeFailureText()
{
    return "Erreur d'ex\xE9" "cution";
}
// clang-format on

std::string exchangeFailureTitle(std::int32_t number)
{
    return "Erreur  " + formatErrorNumber(number);
}
