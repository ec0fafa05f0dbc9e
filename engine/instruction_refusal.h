#pragma once

#include <string>
#include <string_view>

/// Why an operator instruction may not go out on the line, as the problem label names it, or an
/// empty text when it may. envoicom refuses such an instruction before it touches the line.
std::string instructionRefusal(std::string_view instruction);
