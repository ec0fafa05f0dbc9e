#pragma once

#include <string>
#include <string_view>

/// The character a byte received with a parity or framing error reads as.
constexpr char kParityReplacement = '?';

/// Undoes the marks the terminal puts in the input when asked to mark bad characters (PARMRK):
/// \377 \0 X is a character X received with a parity or framing error, \377 \0 \0 a break and
/// \377 \377 a real \377. A mark split between two reads is completed by the next one.
class ParmrkDecoder
{
public:
    struct Marks
    {
        int badCharacters = 0;
        int breaks = 0;
    };

    /// Appends the characters that raw holds to out; returns the marks met on the way.
    Marks decode(std::string_view raw, std::string &out);
    /// Forgets a mark left incomplete, as for a line just opened.
    void reset() { m_state = State::Plain; }

private:
    enum class State { Plain, AfterEscape, AfterMark };
    State m_state = State::Plain;
};
