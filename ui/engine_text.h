#pragma once

#include <QString>
#include <string>

/// The engine's texts are one byte per character (Latin-1); the window converts at its edge.
/// A character with no Latin-1 code becomes kUntransmittable, a byte above 127, so that the
/// engine refuses the instruction instead of sending a look-alike.
constexpr char kUntransmittable = '\xBF';  // inverted question mark

std::string toEngineText(const QString &text);
QString fromEngineText(const std::string &text);
