#pragma once

#include "comm_events.h"
#include "data_watcher.h"
#include "parmrk_decoder.h"
#include "serial_component.h"

#include <array>
#include <chrono>
#include <optional>
#include <string>

/// MSComm1 over the POSIX terminal interface. Property writes take effect at the next open.
/// A line found gone while open is closed at once and the operation that met it throws 8020.
class TermiosSerialPort : public SerialComponent
{
public:
    using DevicePaths = std::array<std::string, 4>;  // COM1..COM4

    /// /dev/ttyS0 .. /dev/ttyS3.
    static DevicePaths defaultDevicePaths();

    explicit TermiosSerialPort(DevicePaths paths = defaultDevicePaths());
    ~TermiosSerialPort() override;
    TermiosSerialPort(const TermiosSerialPort &) = delete;
    TermiosSerialPort &operator=(const TermiosSerialPort &) = delete;

    /// Told when the line opens and closes, and rearmed once the waiting data is taken.
    /// May be null; must outlive the port or be replaced before it goes.
    void setDataWatcher(DataWatcher *watcher);
    /// Drops what the driver still has to send, so a program ending abruptly is not held up.
    void discardPendingOutput();
    /// How long Output waits for the driver to take its characters before it gives the line up.
    void setOutputTimeout(std::chrono::milliseconds timeout) { m_outputTimeout = timeout; }

    void setInBufferSize(int size) override { m_inBufferSize = size; }
    void setCommPort(std::int16_t port) override { m_commPort = port; }
    void setSettings(const std::string &settings) override { m_settings = settings; }
    void setRThreshold(int count) override { m_rThreshold = count; }
    void setSThreshold(int count) override { m_sThreshold = count; }
    void setInputLen(int count) override { m_inputLen = count; }
    void setDTREnable(bool on) override { m_dtrEnable = on; }
    void setRTSEnable(bool on) override { m_rtsEnable = on; }

    bool PortOpen() const override { return m_fd >= 0; }
    void setPortOpen(bool open) override;

    int InBufferCount() override;
    std::string Input() override;
    void Output(const std::string &text) override;
    int CommEvent() override;
    std::uint64_t ReceptionFaults() const override { return m_receptionFaults; }

private:
    void open();
    void close();
    void receive();
    [[noreturn]] void giveUpLine(const std::string &what);
    std::optional<ErrorCounts> readErrorCounts() const;
    std::optional<int> readModemLines() const;

    DevicePaths m_paths;
    DataWatcher *m_watcher = nullptr;
    std::chrono::milliseconds m_outputTimeout{2000};

    // Properties as last written; the line takes them when it opens.
    int m_inBufferSize = 1024;
    std::int16_t m_commPort = 1;
    std::string m_settings = "9600,n,8,1";
    int m_rThreshold = 0;  // events 1 and 2 are recorded whatever the thresholds
    int m_sThreshold = 0;
    int m_inputLen = 0;
    bool m_dtrEnable = false;
    bool m_rtsEnable = false;

    // The open line.
    int m_fd = -1;
    std::string m_openPath;
    std::string m_received;  // decoded characters not yet taken by Input
    ParmrkDecoder m_decoder;
    int m_event = comm_events::kNone;
    bool m_lineGone = false;  // found gone while characters still waited to be taken
    std::optional<ErrorCounts> m_errorCounts;  // none where the driver keeps no counters
    std::optional<int> m_modemLines;           // none where the device has no modem lines
    std::uint64_t m_receptionFaults = 0;       // bad or lost characters, never reset
};
