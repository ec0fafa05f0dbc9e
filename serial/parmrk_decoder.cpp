#include "parmrk_decoder.h"

namespace {
constexpr char kEscape = '\377';
}  // namespace

ParmrkDecoder::Marks ParmrkDecoder::decode(std::string_view raw, std::string &out)
{
    Marks marks;
    for (const char c : raw) {
        switch (m_state) {
        case State::Plain:
            if (c == kEscape)
                m_state = State::AfterEscape;
            else
                out += c;
            break;
        case State::AfterEscape:
            if (c == kEscape) {
                out += kEscape;
                m_state = State::Plain;
            } else if (c == '\0') {
                m_state = State::AfterMark;
            } else {
                // The terminal never sends this, but if it did, both bytes are data: keep them.
                out += kEscape;
                out += c;
                m_state = State::Plain;
            }
            break;
        case State::AfterMark:
            if (c == '\0') {
                ++marks.breaks;
            } else {
                out += kParityReplacement;
                ++marks.badCharacters;
            }
            m_state = State::Plain;
            break;
        }
    }
    return marks;
}
