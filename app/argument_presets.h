#pragma once

#include <cstdint>
#include <string_view>

/// Port and speed as the argument text presets them.
struct ArgumentPresets
{
    std::int16_t port = 1;   // COM1 .. COM4
    bool speed9600 = false;  // else 1200 baud
};

/// "com2"/"COM2", then "com3"/"COM3", then "com4"/"COM4" anywhere in the text choose the port,
/// the first test that finds one deciding; "9600" anywhere chooses 9600 baud. The comparison is
/// exact (so "Com2" means nothing) and any other text is ignored.
ArgumentPresets presetsFrom(std::string_view argumentText);
