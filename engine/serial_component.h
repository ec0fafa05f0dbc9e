#pragma once

#include <cstdint>
#include <string>

/// The serial port component MSComm1, through the properties the engine uses.
/// Getters carry the property's name, setters "set" + the name. Failures throw CommError.
/// Texts are one byte per character.
class SerialComponent
{
public:
    virtual ~SerialComponent() = default;

    virtual void setInBufferSize(int size) = 0;
    virtual void setCommPort(std::int16_t port) = 0;            // 1..4 for COM1..COM4
    virtual void setSettings(const std::string &settings) = 0;  // "9600,e,7,1" or "1200,e,7,1"
    virtual void setRThreshold(int count) = 0;
    virtual void setSThreshold(int count) = 0;
    virtual void setInputLen(int count) = 0;  // 0: Input returns everything waiting
    virtual void setDTREnable(bool on) = 0;
    virtual void setRTSEnable(bool on) = 0;

    virtual bool PortOpen() const = 0;
    /// True opens the line with the values set above; False closes it.
    virtual void setPortOpen(bool open) = 0;

    /// Characters waiting; 0 on a closed port, never a failure there.
    virtual int InBufferCount() = 0;
    /// Takes the waiting characters (all of them with InputLen 0).
    virtual std::string Input() = 0;
    /// Queues characters for sending, in call order.
    virtual void Output(const std::string &text) = 0;
    /// Characters given to Output that the driver has not taken yet; 0 on a closed port.
    virtual int OutBufferCount() const = 0;
    /// Drops every character not sent yet, those the driver holds included.
    virtual void discardOutput() = 0;
    /// The latest line event, kept until the next one replaces it; 0 on a closed port.
    virtual int CommEvent() = 0;
    /// Received characters marked bad by the driver or lost (overrun, full buffer) since the
    /// component was made. It only grows: a rise across a read means that piece is spoiled.
    virtual std::uint64_t ReceptionFaults() const = 0;
};
