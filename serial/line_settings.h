#pragma once

#include <optional>
#include <string_view>
#include <termios.h>

/// A line's speed and character frame, as read from a settings string such as "9600,e,7,1".
struct LineSettings
{
    speed_t speed = B9600;
    char parity = 'n';  // 'n' none, 'e' even, 'o' odd
    int dataBits = 8;
    int stopBits = 1;
};

/// Reads "baud,parity,data bits,stop bits"; nothing for a text the line cannot be set to.
std::optional<LineSettings> parseLineSettings(std::string_view text);

/// The terminal settings of a raw line with these settings, built on the ones the device had.
/// Parity is checked on input, and bad characters and breaks come marked in the data (PARMRK);
/// the line never waits on carrier and never translates or interprets a character.
termios rawLineTermios(const termios &current, const LineSettings &settings);
