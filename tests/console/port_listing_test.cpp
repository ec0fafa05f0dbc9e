// --list-ports on a made-up machine: a built-in port, an empty built-in slot, a USB adapter
// with its stable link, a virtual console.
#include "port_listing.h"
#include "temp_dir.h"

#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class MadeUpMachine : public testing::Test
{
protected:
    void SetUp() override
    {
        const fs::path pnp = devicesDir("pnp0/00:01");
        link(pnp / "driver", "../../../bus/pnp/drivers/serial");
        const fs::path builtIn = devicesDir("pnp0/00:01/00:01:0/00:01:0.0");
        link(builtIn / "driver", "../../../../../bus/serial-base/drivers/port");
        tty("ttyS0", builtIn, "4");

        const fs::path slot = devicesDir("platform/serial8250");
        link(slot / "driver", "../../../bus/platform/drivers/serial8250");
        tty("ttyS1", slot, "0");

        const fs::path usb = devicesDir("usb1/1-1");
        write(usb / "idVendor", "0403\n");
        write(usb / "idProduct", "6001\n");
        write(usb / "manufacturer", "FTDI\n");
        write(usb / "product", "FT232R USB UART\n");
        write(usb / "serial", "A10K\x1B[2J\n");  // an adapter's string cannot drive the terminal
        const fs::path adapter = devicesDir("usb1/1-1/1-1:1.0/ttyUSB0");
        link(adapter / "driver", "../../../../../bus/usb-serial/drivers/ftdi_sio");
        tty("ttyUSB0", adapter, "");

        fs::create_directories(m_root / "sys/class/tty/tty0");
        fs::create_directories(m_root / "dev/serial/by-id");
        link(m_root / "dev/serial/by-id" / kById, "../../ttyUSB0");
    }

    fs::path devicesDir(const std::string &path)
    {
        const fs::path dir = m_root / "sys/devices" / path;
        fs::create_directories(dir);
        return dir;
    }
    void tty(const std::string &name, const fs::path &device, const std::string &type)
    {
        const fs::path dir = m_root / "sys/class/tty" / name;
        fs::create_directories(dir);
        link(dir / "device", device);
        if (!type.empty())
            write(dir / "type", type + "\n");
        write(m_root / "dev" / name, "");
    }
    static void link(const fs::path &at, const fs::path &target) { fs::create_symlink(target, at); }
    static void write(const fs::path &file, const std::string &text)
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }

    static constexpr const char *kById = "usb-FTDI_FT232R_USB_UART_A10K-if00-port0";
    const TempDir m_dir;
    const fs::path &m_root = m_dir.path();
};

TEST_F(MadeUpMachine, listsTheLinesWithHardwareAndWhatEachComOpens)
{
    const PortFinder finder(m_root / "sys", m_root / "dev");
    const std::string byId = std::string("/dev/serial/by-id/") + kById;

    EXPECT_EQ(portListing(finder, {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", byId}),
              "Ports série présents :\n"
              "  /dev/ttyS0  port série intégré (serial)\n"
              "  /dev/ttyUSB0  FTDI FT232R USB UART, n° de série A10K<1B>[2J, USB 0403:6001 "
              "(ftdi_sio)\n"
              "    chemin stable, à préférer : " +
                  byId +
                  "\n"
                  "\n"
                  "Ports de l'outil :\n"
                  "  COM1 (--port1) -> /dev/ttyS0 : port série intégré (serial)\n"
                  "  COM2 (--port2) -> /dev/ttyS1 : présent, sans port matériel derrière\n"
                  "  COM3 (--port3) -> /dev/ttyS2 : absent\n"
                  "  COM4 (--port4) -> " +
                  byId +
                  " : ttyUSB0, FTDI FT232R USB UART, n° de série A10K<1B>[2J, USB 0403:6001 "
                  "(ftdi_sio)\n");
}

}  // namespace
