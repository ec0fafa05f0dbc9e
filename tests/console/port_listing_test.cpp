// --list-ports on a made-up machine: a built-in port, an empty built-in slot, a USB adapter
// with its stable link, a virtual console.
#include "port_listing.h"
#include "temp_dir.h"

#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// The machine's files: a symbolic link where the text starts with "-> ", a folder where the
// path ends with "/", else a file holding the text. Only a driver link's last name is read.
const std::pair<const char *, const char *> kMachine[] = {
    {"sys/devices/pnp0/00:01/driver", "-> ../drivers/serial"},
    {"sys/devices/pnp0/00:01/00:01:0/00:01:0.0/driver", "-> ../drivers/port"},
    {"sys/class/tty/ttyS0/device", "-> ../../../devices/pnp0/00:01/00:01:0/00:01:0.0"},
    {"sys/class/tty/ttyS0/type", "4\n"},
    {"dev/ttyS0", ""},
    {"sys/devices/platform/serial8250/driver", "-> ../drivers/serial8250"},
    {"sys/class/tty/ttyS1/device", "-> ../../../devices/platform/serial8250"},
    {"sys/class/tty/ttyS1/type", "0\n"},
    {"dev/ttyS1", ""},
    {"sys/devices/usb1/1-1/idVendor", "0403\n"},
    {"sys/devices/usb1/1-1/idProduct", "6001\n"},
    {"sys/devices/usb1/1-1/manufacturer", "FTDI\n"},
    {"sys/devices/usb1/1-1/product", "FT232R USB UART\n"},
    {"sys/devices/usb1/1-1/serial", "A10K\x1B[2J\n"},  // it cannot drive the terminal
    {"sys/devices/usb1/1-1/1-1:1.0/ttyUSB0/driver", "-> ../drivers/ftdi_sio"},
    {"sys/class/tty/ttyUSB0/device", "-> ../../../devices/usb1/1-1/1-1:1.0/ttyUSB0"},
    {"dev/ttyUSB0", ""},
    {"sys/class/tty/tty0/", ""},
    {"dev/serial/by-id/usb-A10K", "-> ../../ttyUSB0"},
};

TEST(PortListing, listsTheLinesWithHardwareAndWhatEachComOpens)
{
    const TempDir root;
    for (const auto &[path, text] : kMachine) {
        const fs::path at = root.path() / path;
        fs::create_directories(at.parent_path());
        if (std::string_view(text).starts_with("-> "))
            fs::create_symlink(text + 3, at);
        else if (at.has_filename())
            std::ofstream(at) << text;
    }
    const PortFinder finder(root.path() / "sys", root.path() / "dev");
    EXPECT_EQ(
        portListing(finder,
                    {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/serial/by-id/usb-A10K"}),
        "Ports série présents :\n"
        "  /dev/ttyS0  port série intégré (serial)\n"
        "  /dev/ttyUSB0  FTDI FT232R USB UART, n° de série A10K<1B>[2J, USB 0403:6001 (ftdi_sio)\n"
        "    chemin stable, à préférer : /dev/serial/by-id/usb-A10K\n"
        "\n"
        "Ports de l'outil :\n"
        "  COM1 (--port1) -> /dev/ttyS0 : port série intégré (serial)\n"
        "  COM2 (--port2) -> /dev/ttyS1 : présent, sans port matériel derrière\n"
        "  COM3 (--port3) -> /dev/ttyS2 : absent\n"
        "  COM4 (--port4) -> /dev/serial/by-id/usb-A10K : ttyUSB0, FTDI FT232R USB UART, "
        "n° de série A10K<1B>[2J, USB 0403:6001 (ftdi_sio)\n");
}

}  // namespace
