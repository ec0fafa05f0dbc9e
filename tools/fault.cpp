#include "fault.h"

#include <array>
#include <utility>

namespace sim {

namespace {

constexpr std::array<std::pair<Fault, std::string_view>, 9> kNames{{
    {Fault::None, "none"},
    {Fault::BadChecksum, "bad-checksum"},
    {Fault::Lowercase, "lowercase"},
    {Fault::NoAck, "no-ack"},
    {Fault::NotStx, "not-stx"},
    {Fault::Silence, "silence"},
    {Fault::CutOff, "cut-off"},
    {Fault::Unsolicited, "unsolicited"},
    {Fault::Flood, "flood"},
}};

}  // namespace

std::string_view faultName(Fault fault)
{
    for (const auto &[value, name] : kNames) {
        if (value == fault) {
            return name;
        }
    }
    return "?";
}

std::optional<Fault> faultFromName(std::string_view name)
{
    for (const auto &[value, known] : kNames) {
        if (known == name) {
            return value;
        }
    }
    return std::nullopt;
}

const std::vector<Fault> &allFaults()
{
    static const std::vector<Fault> faults = [] {
        std::vector<Fault> list;
        for (const auto &entry : kNames) {
            if (entry.first != Fault::None) {
                list.push_back(entry.first);
            }
        }
        return list;
    }();
    return faults;
}

}  // namespace sim
