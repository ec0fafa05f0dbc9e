#pragma once

#include "comm_events.h"
#include "data_watcher.h"
#include "parmrk_decoder.h"
#include "serial_component.h"
#include "uucp_lock.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

struct LineSettings;

/// MSComm1 over the POSIX terminal interface. Property writes take effect at the next open.
/// A line found gone while open is closed at once and the operation that met it throws 8020.
/// No call waits on the line: output the driver cannot take yet waits in the component and goes
/// out as the line is read or written again. An open line holds its UUCP lock file, and a close
/// drops pending output.
class TermiosSerialPort : public SerialComponent
{
public:
    using DevicePaths = std::array<std::string, 4>;  // COM1..COM4

    /// /dev/ttyS0 .. /dev/ttyS3.
    static DevicePaths defaultDevicePaths();

    explicit TermiosSerialPort(DevicePaths paths = defaultDevicePaths(),
                               std::vector<std::string> lockDirectories = defaultLockDirectories());
    ~TermiosSerialPort() override;
    TermiosSerialPort(const TermiosSerialPort &) = delete;
    TermiosSerialPort &operator=(const TermiosSerialPort &) = delete;

    /// Told when the line opens and closes, and rearmed once the waiting data is taken.
    /// May be null; must outlive the port or be replaced before it goes.
    void setDataWatcher(DataWatcher *watcher);

    // The buffer grows as needed, so that no received character is ever dropped.
    void setInBufferSize(int) override {}
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
    int OutBufferCount() const override;
    void discardOutput() override;
    int CommEvent() override;
    std::uint64_t ReceptionFaults() const override { return m_receptionFaults; }

protected:
    /// The modem status lines (TIOCM_* bits) as the driver has them now; none without any.
    virtual std::optional<int> readModemLines() const;

private:
    void open();
    int openLine(const std::string &path, const LineSettings &settings);
    void close();
    void sendPending();
    void receive();
    void lookAtModemLines();
    [[noreturn]] void giveUpLine(const std::string &what);
    std::optional<ErrorCounts> readErrorCounts() const;

    DevicePaths m_paths;
    std::vector<std::string> m_lockDirectories;
    DataWatcher *m_watcher = nullptr;

    // Properties as last written; the line takes them when it opens.
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
    std::string m_lockPath;                       // empty where no lock file could be made
    std::optional<unsigned short> m_closingWait;  // the driver's own, while we set it to none
    std::string m_pending;                        // output the driver has not taken yet
    std::string m_received;                       // decoded characters not yet taken by Input
    ParmrkDecoder m_decoder;
    int m_event = comm_events::kNone;
    bool m_lineGone = false;  // found gone while characters still waited to be taken
    std::optional<ErrorCounts> m_errorCounts;  // none where the driver keeps no counters
    std::optional<int> m_modemLines;           // none where the device has no modem lines
    std::uint64_t m_receptionFaults = 0;       // bad or lost characters, never reset
};
