#pragma once

#include "comm_error.h"
#include "serial_component.h"
#include "virtual_timeline.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

/// The component calls a test can count and make fail.
enum class PortCall { SetPortOpen, InBufferCount, Input, Output };

/// SerialComponent for tests. It records property writes in order and the virtual time of each
/// call, holds a receive buffer the device side fills, and fails on request. Open or closed, it
/// behaves the same: no test needs a closed line to refuse anything.
class FakeSerialPort : public SerialComponent
{
public:
    explicit FakeSerialPort(VirtualTimeline &timeline)
        : m_timeline(timeline)
    {}

    void setInBufferSize(int size) override { record("InBufferSize", std::to_string(size)); }
    void setCommPort(std::int16_t port) override { record("CommPort", std::to_string(port)); }
    void setSettings(const std::string &settings) override { record("Settings", settings); }
    void setRThreshold(int count) override { record("RThreshold", std::to_string(count)); }
    void setSThreshold(int count) override { record("SThreshold", std::to_string(count)); }
    void setInputLen(int count) override { record("InputLen", std::to_string(count)); }
    void setDTREnable(bool on) override { record("DTREnable", on ? "True" : "False"); }
    void setRTSEnable(bool on) override { record("RTSEnable", on ? "True" : "False"); }
    bool PortOpen() const override { return m_open; }
    void setPortOpen(bool open) override
    {
        enter(PortCall::SetPortOpen);
        record("PortOpen", open ? "True" : "False");
        m_open = open;
    }
    int InBufferCount() override
    {
        enter(PortCall::InBufferCount);
        return static_cast<int>(m_rx.size());
    }
    std::string Input() override
    {
        enter(PortCall::Input);
        return std::exchange(m_rx, {});
    }
    void Output(const std::string &text) override
    {
        enter(PortCall::Output);
        m_unsent += text;
        stallOutput(m_stalled);
    }
    int OutBufferCount() const override { return static_cast<int>(m_unsent.size()); }
    void discardOutput() override { m_unsent.clear(); }
    int CommEvent() override { return m_commEvent; }
    std::uint64_t ReceptionFaults() const override { return m_receptionFaults; }

    // The device side. A byte with the high bit set arrives marked bad, as the driver leaves a
    // parity error: it reads as '?', counts as a reception fault, and the line event says
    // parity; otherwise the event says characters came.
    void deliver(std::string bytes)
    {
        const auto marked = std::ranges::count_if(bytes, [](char c) { return c & 0x80; });
        std::ranges::replace_if(
            bytes, [](char c) { return c & 0x80; }, '?');
        m_receptionFaults += static_cast<std::uint64_t>(marked);
        m_commEvent = marked > 0 ? 1009 : 2;
        m_rx += bytes;
    }
    void setCommEvent(int code) { m_commEvent = code; }
    /// While stalled, the line takes no output: it waits in the component.
    void stallOutput(bool on = true)
    {
        m_stalled = on;
        const std::string taken = on ? "" : std::exchange(m_unsent, {});
        m_written += taken;
        if (onOutput && !taken.empty())
            onOutput(taken);
    }
    std::function<void(const std::string &)> onOutput;  // called with each Output

    /// The next `times` calls of `call` throw CommError(number), before any effect.
    void failNext(PortCall call, std::int32_t number, int times = 1)
    {
        m_failures[static_cast<int>(call)] = {number, times};
    }

    /// "Property=Value" for every property write that took effect, in order ("PortOpen=True").
    const std::vector<std::string> &propertyWrites() const { return m_propertyWrites; }
    const std::string &written() const { return m_written; }  // all the line took, in order
    /// Virtual times of the calls made, in order.
    const std::vector<std::int64_t> &callTimes(PortCall call) const
    {
        return m_callTimes[static_cast<int>(call)];
    }
    int calls(PortCall call) const { return static_cast<int>(callTimes(call).size()); }

private:
    void enter(PortCall call)
    {
        const auto index = static_cast<int>(call);
        m_callTimes[index].push_back(m_timeline.now());
        if (auto &[number, times] = m_failures[index]; times > 0) {
            --times;
            throw CommError(number, "injected failure");
        }
    }
    void record(const std::string &property, const std::string &value)
    {
        m_propertyWrites.push_back(property + "=" + value);
    }

    static constexpr int kCalls = static_cast<int>(PortCall::Output) + 1;
    VirtualTimeline &m_timeline;
    bool m_open = false;
    int m_commEvent = 0;
    bool m_stalled = false;
    std::uint64_t m_receptionFaults = 0;
    std::string m_rx;
    std::string m_written;
    std::string m_unsent;
    std::array<std::pair<std::int32_t, int>, kCalls> m_failures{};
    std::array<std::vector<std::int64_t>, kCalls> m_callTimes;
    std::vector<std::string> m_propertyWrites;
};
