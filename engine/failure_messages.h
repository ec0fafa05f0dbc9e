#pragma once

#include <cstdint>
#include <string>
#include <string_view>

/// Start of every caption of the problem label.
inline constexpr std::string_view kProblemPrefix = "Probl\xE8me RS232: ";

/// The problem label's caption for a problem text: kProblemPrefix followed by the text.
std::string problemCaption(std::string_view text);

/// An error number as the messages show it: one leading space, or the minus sign in its place.
std::string formatErrorNumber(std::int32_t number);

/// Text of the box shown when the line cannot be set up; "\r" breaks the line.
std::string setupFailureText(std::int32_t number);

/// Text and title of the box shown when a step of an exchange fails.
std::string exchangeFailureText();
std::string exchangeFailureTitle(std::int32_t number);
