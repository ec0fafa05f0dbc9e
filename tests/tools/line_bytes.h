#pragma once

#include <string>

// "[ABC]40" as the line carries it, [ for STX, ] for ETX and ^ for ACK: frames read as on a scope.
inline std::string lineBytes(std::string text)
{
    for (char &c : text) {
        c = c == '[' ? '\x02' : c == ']' ? '\x03' : c == '^' ? '\x06' : c;
    }
    return text;
}
