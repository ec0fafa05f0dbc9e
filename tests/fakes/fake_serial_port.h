#pragma once

#include "serial_component.h"
#include "virtual_timeline.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

/// The component calls a test can make fail.
enum class PortCall {
    SetInBufferSize,
    SetCommPort,
    SetSettings,
    SetRThreshold,
    SetSThreshold,
    SetInputLen,
    SetDTREnable,
    SetRTSEnable,
    SetPortOpen,
    InBufferCount,
    Input,
    Output,
    CommEvent,
};

/// SerialComponent for tests. It records what the engine does to it (property writes in order,
/// each Output with its virtual time), holds a receive buffer the device side fills, and fails
/// on request. A closed port answers 0 to InBufferCount and CommEvent and fails Input and
/// Output with 8018, as the real one does.
class FakeSerialPort : public SerialComponent
{
public:
    struct Write
    {
        std::int64_t time;
        std::string text;
    };

    explicit FakeSerialPort(VirtualTimeline &timeline)
        : m_timeline(timeline)
    {}

    void setInBufferSize(int size) override;
    void setCommPort(std::int16_t port) override;
    void setSettings(const std::string &settings) override;
    void setRThreshold(int count) override;
    void setSThreshold(int count) override;
    void setInputLen(int count) override;
    void setDTREnable(bool on) override;
    void setRTSEnable(bool on) override;
    bool PortOpen() const override { return m_open; }
    void setPortOpen(bool open) override;
    int InBufferCount() override;
    std::string Input() override;
    void Output(const std::string &text) override;
    int CommEvent() override;

    // The device side.
    /// Received characters join the buffer now; a closed port drops them, as a real line would.
    void deliver(const std::string &bytes);
    void deliverAt(std::int64_t ms, const std::string &bytes);
    void setCommEvent(int code) { m_commEvent = code; }
    /// Called with each Output, after it is recorded.
    void setOutputListener(std::function<void(const std::string &)> listener);

    // Failure injection: the next `times` calls of `call` throw CommError(number), before any
    // effect. Failures of different calls may be pending together.
    void failNext(PortCall call, std::int32_t number, int times = 1);

    // What happened.
    /// "Property=Value" for every property write that took effect, in order ("PortOpen=True").
    const std::vector<std::string> &propertyWrites() const { return m_propertyWrites; }
    const std::vector<Write> &outputs() const { return m_outputs; }
    /// Everything written, in order.
    std::string written() const;
    int calls(PortCall call) const;
    std::int64_t lastCallTime(PortCall call) const;
    const std::string &waiting() const { return m_rx; }

private:
    void enter(PortCall call);
    void recordWrite(const std::string &property, const std::string &value);

    VirtualTimeline &m_timeline;
    bool m_open = false;
    int m_commEvent = 0;
    std::string m_rx;
    std::function<void(const std::string &)> m_outputListener;
    std::map<PortCall, std::pair<std::int32_t, int>> m_failures;
    std::map<PortCall, int> m_calls;
    std::map<PortCall, std::int64_t> m_lastCallTime;
    std::vector<std::string> m_propertyWrites;
    std::vector<Write> m_outputs;
};
