#include "port_listing.h"

namespace {

std::string deviceSummary(const SerialDevice &device)
{
    std::string summary;
    if (device.usbId.empty()) {
        summary = "port série intégré";
    } else {
        summary = device.vendor;
        if (!device.model.empty())
            summary += (summary.empty() ? "" : " ") + device.model;
        if (summary.empty())
            summary = "adaptateur USB";
        if (!device.serialNumber.empty())
            summary += ", n° de série " + device.serialNumber;
        summary += ", USB " + device.usbId;
    }
    if (!device.driver.empty())
        summary += " (" + device.driver + ")";
    return summary;
}

}  // namespace

std::string pathDescription(const PortFinder &finder, const std::string &devicePath)
{
    const PathState state = finder.stateOf(devicePath);
    if (!state.present)
        return "absent";
    if (!state.device)
        return "présent";
    std::string description = state.device->hardware ? deviceSummary(*state.device)
                                                     : "présent, sans port matériel derrière";
    if (state.device->path != devicePath)
        description = state.device->name + ", " + description;
    return description;
}

std::string portListing(const PortFinder &finder, const std::array<std::string, 4> &devicePaths)
{
    std::string listing;
    const std::vector<SerialDevice> devices = finder.devices();
    if (devices.empty())
        listing += "Aucun port série trouvé.\n";
    else
        listing += "Ports série présents :\n";
    for (const SerialDevice &device : devices) {
        listing += "  " + device.path + "  " + deviceSummary(device) + "\n";
        if (!device.byIdPath.empty())
            listing += "    chemin stable, à préférer : " + device.byIdPath + "\n";
    }
    listing += "\nPorts de l'outil :\n";
    for (std::size_t n = 0; n < devicePaths.size(); ++n)
        listing += "  COM" + std::to_string(n + 1) + " (--port" + std::to_string(n + 1) + ") -> " +
                   devicePaths[n] + " : " + pathDescription(finder, devicePaths[n]) + "\n";
    return listing;
}
