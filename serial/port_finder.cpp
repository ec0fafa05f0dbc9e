#include "port_finder.h"

#include "frame.h"

#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const std::string kDevPrefix = "/dev/";
constexpr int kLevelsAbove = 4;  // from a tty's device up to the USB device or chip it hangs on

// A USB adapter names itself: its strings reach the operator's terminal, where a control
// character would act instead of showing. Such a character is shown as its code ("<1B>").
std::string attribute(const fs::path &file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    std::string value;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F)
            value += c;
        else
            value += byteCode(byte);
    }
    return value;
}

// The USB device a tty hangs on: the nearest directory above its device with an idVendor.
std::optional<fs::path> usbDeviceAbove(fs::path device)
{
    for (int level = 0; level < kLevelsAbove && device.has_relative_path(); ++level) {
        std::error_code error;
        if (fs::exists(device / "idVendor", error))
            return device;
        device = device.parent_path();
    }
    return std::nullopt;
}

// The driver of the chip or adapter: recent kernels put serial-core's own "port" and "ctrl"
// devices between the tty and the device that matters.
std::string driverAbove(fs::path device)
{
    for (int level = 0; level < kLevelsAbove && device.has_relative_path(); ++level) {
        std::error_code error;
        const std::string driver = fs::read_symlink(device / "driver", error).filename().string();
        if (!error && driver != "port" && driver != "ctrl")
            return driver;
        device = device.parent_path();
    }
    return {};
}

}  // namespace

PortFinder::PortFinder(fs::path sysfsRoot, fs::path devRoot)
    : m_sysfsRoot(std::move(sysfsRoot))
    , m_devRoot(std::move(devRoot))
{}

std::vector<SerialDevice> PortFinder::devices() const
{
    std::vector<SerialDevice> found;
    std::error_code error;
    for (const fs::directory_entry &entry :
         fs::directory_iterator(m_sysfsRoot / "class" / "tty", error)) {
        std::optional<SerialDevice> device = describe(entry.path().filename().string());
        if (device && device->hardware)
            found.push_back(std::move(*device));
    }
    std::ranges::sort(found, {}, &SerialDevice::name);
    return found;
}

std::optional<SerialDevice> PortFinder::describe(const std::string &name) const
{
    // Virtual consoles, pseudo-terminals and the like have no device behind them.
    const fs::path tty = m_sysfsRoot / "class" / "tty" / name;
    std::error_code error;
    const fs::path device = fs::canonical(tty / "device", error);
    if (error)
        return std::nullopt;

    SerialDevice found;
    found.name = name;
    found.path = kDevPrefix + name;
    found.byIdPath = byIdPathOf(name);
    found.driver = driverAbove(device);
    // A built-in port slot reports UART type 0 when no chip answers behind it.
    if (fs::exists(tty / "type", error))
        found.hardware = attribute(tty / "type") != "0";
    if (const std::optional<fs::path> usb = usbDeviceAbove(device)) {
        found.vendor = attribute(*usb / "manufacturer");
        found.model = attribute(*usb / "product");
        found.serialNumber = attribute(*usb / "serial");
        found.usbId = attribute(*usb / "idVendor") + ":" + attribute(*usb / "idProduct");
    }
    return found;
}

std::string PortFinder::byIdPathOf(const std::string &name) const
{
    std::error_code error;
    const fs::path byId = m_devRoot / "serial" / "by-id";
    for (const fs::directory_entry &link : fs::directory_iterator(byId, error)) {
        if (fs::read_symlink(link.path(), error).filename() == name && !error)
            return kDevPrefix + "serial/by-id/" + link.path().filename().string();
    }
    return {};
}

fs::path PortFinder::onThisMachine(const std::string &devicePath) const
{
    if (devicePath.starts_with(kDevPrefix))
        return m_devRoot / devicePath.substr(kDevPrefix.size());
    return devicePath;
}

PathState PortFinder::stateOf(const std::string &devicePath) const
{
    PathState state;
    std::error_code error;
    const fs::path path = onThisMachine(devicePath);
    state.present = fs::exists(path, error);
    if (!state.present)
        return state;
    const fs::path target = fs::canonical(path, error);
    if (!error)
        state.device = describe(target.filename().string());
    return state;
}
