#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

/// A failure of the serial port component, carrying its error number (8005, 8013, ...).
class CommError : public std::runtime_error
{
public:
    CommError(std::int32_t number, const std::string &detail)
        : std::runtime_error(detail)
        , m_number(number)
    {
    }
    std::int32_t number() const { return m_number; }

private:
    std::int32_t m_number;
};

/// The failure numbers the component raises.
namespace comm_errors {
constexpr std::int32_t kDeviceMissing = 8005;   // no such device, or not a serial line
constexpr std::int32_t kAccessDenied = 8010;    // permission denied (dialout group)
constexpr std::int32_t kSettingsRefused = 8011; // the line refused the settings
constexpr std::int32_t kSetupFailed = 8012;     // any other failure while opening
constexpr std::int32_t kPortBusy = 8013;        // held or locked by another program
constexpr std::int32_t kPortClosed = 8018;      // Input or Output on a closed port
constexpr std::int32_t kDeviceLost = 8020;      // I/O error on a line that was open
} // namespace comm_errors
