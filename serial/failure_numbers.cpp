#include "failure_numbers.h"

#include "comm_error.h"

#include <array>
#include <cerrno>
#include <utility>

namespace {

using namespace comm_errors;

constexpr std::array<std::pair<int, std::int32_t>, 12> kSetupFailures{{
    {ENOENT, kDeviceMissing},
    {EISDIR, kDeviceMissing},  // a folder where the device should be: no port there either
    {ENODEV, kDeviceMissing},
    {ENXIO, kDeviceMissing},
    {ENOTTY, kDeviceMissing},
    // A ttyS node whose UART is not fitted opens with EIO: to the operator the port is missing.
    {EIO, kDeviceMissing},
    {EBUSY, kPortBusy},
    {EWOULDBLOCK, kPortBusy},
    {EAGAIN, kPortBusy},  // the same value as EWOULDBLOCK on Linux, not everywhere
    {EACCES, kAccessDenied},
    {EPERM, kAccessDenied},
    {EINVAL, kSettingsRefused},
}};

}  // namespace

std::int32_t setupFailureNumber(int error)
{
    for (const auto &[known, number] : kSetupFailures) {
        if (known == error)
            return number;
    }
    return kSetupFailed;
}
