#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

/// A serial line the kernel knows, with what is behind it.
struct SerialDevice
{
    std::string name;      // "ttyUSB0"
    std::string path;      // "/dev/ttyUSB0"
    std::string byIdPath;  // "/dev/serial/by-id/usb-...", stable across reboots; may be empty
    std::string driver;    // "serial8250", "ftdi_sio", "cdc_acm"...
    std::string vendor;    // USB adapters: manufacturer, model and serial number as they say
    std::string model;
    std::string serialNumber;
    std::string usbId;     // "0403:6001"
    bool hardware = true;  // false for a built-in port slot with no UART behind it
};

/// What a device path opens now.
struct PathState
{
    bool present = false;
    std::optional<SerialDevice> device;  // when it leads to a serial line the kernel lists
};

/// Finds serial lines from sysfs and /dev. The roots are injectable so that a made-up tree
/// can stand in for the machine's.
class PortFinder
{
public:
    explicit PortFinder(std::filesystem::path sysfsRoot = "/sys",
                        std::filesystem::path devRoot = "/dev");

    /// Serial lines with hardware behind them, by name.
    std::vector<SerialDevice> devices() const;
    /// Follows `devicePath` (a /dev path, a by-id link, any link) to the line it opens.
    PathState stateOf(const std::string &devicePath) const;

private:
    std::optional<SerialDevice> describe(const std::string &name) const;
    std::string byIdPathOf(const std::string &name) const;
    std::filesystem::path onThisMachine(const std::string &devicePath) const;

    std::filesystem::path m_sysfsRoot;
    std::filesystem::path m_devRoot;
};
