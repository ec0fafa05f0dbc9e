#pragma once

#include "protocol_trace.h"
#include "serial_component.h"

#include <cstdint>
#include <string>
#include <vector>

/// The serial component with the trace around it: every call goes to the component unchanged,
/// and the bytes become lines, one a frame. The engine writes a frame one
/// character at a time and the device's reply may come in pieces: a frame's line is written
/// when the driver has taken it whole, a reply's with the times of its pieces. Output dropped
/// before the driver took it is named as such. Failures are traced with their number, then
/// thrown on.
class TracedSerialComponent : public SerialComponent
{
public:
    TracedSerialComponent(SerialComponent &inner, ProtocolTrace &trace);

    void setInBufferSize(int size) override;
    void setCommPort(std::int16_t port) override;
    void setSettings(const std::string &settings) override;
    void setRThreshold(int count) override;
    void setSThreshold(int count) override;
    void setInputLen(int count) override;
    void setDTREnable(bool on) override;
    void setRTSEnable(bool on) override;
    bool PortOpen() const override;
    void setPortOpen(bool open) override;
    int InBufferCount() override;
    std::string Input() override;
    void Output(const std::string &text) override;
    int OutBufferCount() const override;
    void discardOutput() override;
    int CommEvent() override;
    std::uint64_t ReceptionFaults() const override;

    /// Writes out a reply still being gathered as incomplete: the tool has stopped waiting for it.
    void flushIncompleteReply();
    /// The number of the latest failure thrown, for the box that reports it.
    std::int32_t lastFailure() const { return m_lastFailure; }

private:
    enum class Reading { Outside, Text, HighDigit, LowDigit };

    template <typename Call> auto guarded(Call &&call) -> decltype(call());
    void traceTaken();
    void traceDropped(const std::string &what);
    void traceOutput(const std::string &text);
    void flushOutgoing(std::string_view verdict);
    void traceInput(const std::string &piece);
    void flushStray();
    void flushReply(std::string_view verdict);
    std::string checksumVerdict() const;

    SerialComponent &m_inner;
    ProtocolTrace &m_trace;
    std::int16_t m_commPort = 0;
    std::string m_settings;
    std::int32_t m_lastFailure = 0;

    std::string m_queued;    // given to the component, not taken by the driver yet
    std::string m_outgoing;  // a frame being taken, character by character
    std::int64_t m_outgoingMs = 0;

    Reading m_reading = Reading::Outside;
    std::string m_reply;                     // from its STX on
    std::uint8_t m_replyChecksum = 0;        // of the reply's text so far
    std::vector<std::int64_t> m_pieceTimes;  // one a piece that brought part of the reply
    std::string m_stray;                     // bytes of the current piece outside any frame
    std::int64_t m_pieceMs = 0;
};
