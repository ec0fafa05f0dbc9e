#include "fake_serial_port.h"

#include "comm_error.h"

namespace {

std::string boolText(bool on)
{
    return on ? "True" : "False";
}

}  // namespace

void FakeSerialPort::enter(PortCall call)
{
    ++m_calls[call];
    m_lastCallTime[call] = m_timeline.now();
    const auto found = m_failures.find(call);
    if (found == m_failures.end())
        return;
    const std::int32_t number = found->second.first;
    if (--found->second.second <= 0)
        m_failures.erase(found);
    throw CommError(number, "injected failure");
}

void FakeSerialPort::recordWrite(const std::string &property, const std::string &value)
{
    m_propertyWrites.push_back(property + "=" + value);
}

void FakeSerialPort::setInBufferSize(int size)
{
    enter(PortCall::SetInBufferSize);
    recordWrite("InBufferSize", std::to_string(size));
}

void FakeSerialPort::setCommPort(std::int16_t port)
{
    enter(PortCall::SetCommPort);
    recordWrite("CommPort", std::to_string(port));
}

void FakeSerialPort::setSettings(const std::string &settings)
{
    enter(PortCall::SetSettings);
    recordWrite("Settings", settings);
}

void FakeSerialPort::setRThreshold(int count)
{
    enter(PortCall::SetRThreshold);
    recordWrite("RThreshold", std::to_string(count));
}

void FakeSerialPort::setSThreshold(int count)
{
    enter(PortCall::SetSThreshold);
    recordWrite("SThreshold", std::to_string(count));
}

void FakeSerialPort::setInputLen(int count)
{
    enter(PortCall::SetInputLen);
    recordWrite("InputLen", std::to_string(count));
}

void FakeSerialPort::setDTREnable(bool on)
{
    enter(PortCall::SetDTREnable);
    recordWrite("DTREnable", boolText(on));
}

void FakeSerialPort::setRTSEnable(bool on)
{
    enter(PortCall::SetRTSEnable);
    recordWrite("RTSEnable", boolText(on));
}

void FakeSerialPort::setPortOpen(bool open)
{
    enter(PortCall::SetPortOpen);
    recordWrite("PortOpen", boolText(open));
    m_open = open;
    if (!open)
        m_rx.clear();
}

int FakeSerialPort::InBufferCount()
{
    enter(PortCall::InBufferCount);
    return m_open ? static_cast<int>(m_rx.size()) : 0;
}

std::string FakeSerialPort::Input()
{
    enter(PortCall::Input);
    if (!m_open)
        throw CommError(comm_errors::kPortClosed, "Input on a closed port");
    std::string taken;
    taken.swap(m_rx);
    return taken;
}

void FakeSerialPort::Output(const std::string &text)
{
    enter(PortCall::Output);
    if (!m_open)
        throw CommError(comm_errors::kPortClosed, "Output on a closed port");
    m_outputs.push_back({m_timeline.now(), text});
    if (m_outputListener)
        m_outputListener(text);
}

int FakeSerialPort::CommEvent()
{
    enter(PortCall::CommEvent);
    return m_open ? m_commEvent : 0;
}

void FakeSerialPort::deliver(const std::string &bytes)
{
    if (m_open)
        m_rx += bytes;
}

void FakeSerialPort::deliverAt(std::int64_t ms, const std::string &bytes)
{
    m_timeline.at(ms, [this, bytes] { deliver(bytes); });
}

void FakeSerialPort::setOutputListener(std::function<void(const std::string &)> listener)
{
    m_outputListener = std::move(listener);
}

void FakeSerialPort::failNext(PortCall call, std::int32_t number, int times)
{
    m_failures[call] = {number, times};
}

std::string FakeSerialPort::written() const
{
    std::string all;
    for (const Write &write : m_outputs)
        all += write.text;
    return all;
}

int FakeSerialPort::calls(PortCall call) const
{
    const auto found = m_calls.find(call);
    return found == m_calls.end() ? 0 : found->second;
}

std::int64_t FakeSerialPort::lastCallTime(PortCall call) const
{
    const auto found = m_lastCallTime.find(call);
    return found == m_lastCallTime.end() ? -1 : found->second;
}
