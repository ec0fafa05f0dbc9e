#include "argument_presets.h"

namespace {

bool holds(std::string_view text, std::string_view literal)
{
    return text.find(literal) != std::string_view::npos;
}

}  // namespace

ArgumentPresets presetsFrom(std::string_view argumentText)
{
    ArgumentPresets presets;
    if (holds(argumentText, "com2") || holds(argumentText, "COM2"))
        presets.port = 2;
    else if (holds(argumentText, "com3") || holds(argumentText, "COM3"))
        presets.port = 3;
    else if (holds(argumentText, "com4") || holds(argumentText, "COM4"))
        presets.port = 4;
    presets.speed9600 = holds(argumentText, "9600");
    return presets;
}
