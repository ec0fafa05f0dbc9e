#include "traced_serial_component.h"

#include "comm_error.h"
#include "frame.h"
#include "trace_text.h"

#include <algorithm>

namespace {

// The engine bounds a reply itself; this only keeps a babbling line from growing one trace line
// without end.
constexpr std::size_t kLongestReplyLine = 65536;
// Silence the tool allows between two characters of a reply; after it the reply is given up.
constexpr std::int64_t kCharacterTimeoutMs = 500;

}  // namespace

TracedSerialComponent::TracedSerialComponent(SerialComponent &inner, ProtocolTrace &trace)
    : m_inner(inner)
    , m_trace(trace)
{}

template <typename Call> auto TracedSerialComponent::guarded(Call &&call) -> decltype(call())
{
    try {
        return call();
    } catch (const CommError &failure) {
        m_lastFailure = failure.number();
        flushOutgoing("envoi interrompu");
        m_trace.event(m_trace.now(),
                      "échec du port : erreur " + std::to_string(failure.number()) + " (" +
                          failure.what() + ")");
        throw;
    }
}

void TracedSerialComponent::setInBufferSize(int size)
{
    guarded([&] { m_inner.setInBufferSize(size); });
}

void TracedSerialComponent::setCommPort(std::int16_t port)
{
    guarded([&] { m_inner.setCommPort(port); });
    m_commPort = port;
}

void TracedSerialComponent::setSettings(const std::string &settings)
{
    guarded([&] { m_inner.setSettings(settings); });
    m_settings = settings;
}

void TracedSerialComponent::setRThreshold(int count)
{
    guarded([&] { m_inner.setRThreshold(count); });
}

void TracedSerialComponent::setSThreshold(int count)
{
    guarded([&] { m_inner.setSThreshold(count); });
}

void TracedSerialComponent::setInputLen(int count)
{
    guarded([&] { m_inner.setInputLen(count); });
}

void TracedSerialComponent::setDTREnable(bool on)
{
    guarded([&] { m_inner.setDTREnable(on); });
}

void TracedSerialComponent::setRTSEnable(bool on)
{
    guarded([&] { m_inner.setRTSEnable(on); });
}

bool TracedSerialComponent::PortOpen() const
{
    return m_inner.PortOpen();
}

void TracedSerialComponent::setPortOpen(bool open)
{
    if (!open) {
        traceTaken();
        flushIncompleteReply();
    }
    guarded([&] { m_inner.setPortOpen(open); });
    if (!open && !m_queued.empty())
        traceDropped("ligne fermée avant l'envoi");
    m_trace.event(m_trace.now(),
                  open ? "ligne ouverte : COM" + std::to_string(m_commPort) + " " +
                             latin1ToUtf8(m_settings)
                       : std::string("ligne fermée"));
}

int TracedSerialComponent::InBufferCount()
{
    const int count = guarded([&] { return m_inner.InBufferCount(); });
    traceTaken();
    // The engine reads only once its frame is handed over: with nothing left for the driver to
    // take, a part still missing will stay so.
    if (m_queued.empty())
        flushOutgoing("envoi incomplet");
    return count;
}

std::string TracedSerialComponent::Input()
{
    std::string piece = guarded([&] { return m_inner.Input(); });
    traceTaken();
    traceInput(piece);
    return piece;
}

void TracedSerialComponent::Output(const std::string &text)
{
    guarded([&] { m_inner.Output(text); });
    m_queued += text;
    traceTaken();
}

int TracedSerialComponent::OutBufferCount() const
{
    return m_inner.OutBufferCount();
}

void TracedSerialComponent::discardOutput()
{
    traceTaken();
    guarded([&] { m_inner.discardOutput(); });
    // What the driver held is gone too, but it does not say how much: the line says that much.
    traceDropped("file d'envoi vidée");
}

int TracedSerialComponent::CommEvent()
{
    return guarded([&] { return m_inner.CommEvent(); });
}

std::uint64_t TracedSerialComponent::ReceptionFaults() const
{
    return m_inner.ReceptionFaults();
}

// The component says how much of its output the driver has not taken yet; what was queued
// before that is on its way to the device, and only now is it traced as sent.
void TracedSerialComponent::traceTaken()
{
    if (m_queued.empty())
        return;
    const auto waiting = static_cast<std::size_t>(std::max(m_inner.OutBufferCount(), 0));
    const std::size_t taken = m_queued.size() - std::min(waiting, m_queued.size());
    if (taken == 0)
        return;
    const std::string text = m_queued.substr(0, taken);
    m_queued.erase(0, taken);
    traceOutput(text);
}

void TracedSerialComponent::traceDropped(const std::string &what)
{
    if (m_queued.empty()) {
        m_trace.event(m_trace.now(), what);
        return;
    }
    flushOutgoing("envoi incomplet");
    m_trace.event(m_trace.now(), what + " ; jamais partis : " + namedText(m_queued));
    m_queued.clear();
}

void TracedSerialComponent::traceOutput(const std::string &text)
{
    for (const char c : text) {
        if (c == kStx) {
            // A new frame: whatever went before it is over, and no earlier reply is awaited.
            flushOutgoing("envoi incomplet");
            flushIncompleteReply();
        }
        if (m_outgoing.empty()) {
            m_outgoingMs = m_trace.now();
            if (c == kAck) {
                m_trace.bytesOnLine(
                    m_outgoingMs, ProtocolTrace::Direction::ToDevice, {&c, 1}, "réponse confirmée");
                continue;
            }
        }
        // A frame is whole with the two digits after its ETX. A failed write the operator
        // cancelled leaves a gap, which the line then shows.
        m_outgoing += c;
        const std::size_t etx = m_outgoing.find(kEtx);
        if (etx != std::string::npos && m_outgoing.size() == etx + 3)
            flushOutgoing("instruction");
    }
}

void TracedSerialComponent::flushOutgoing(std::string_view verdict)
{
    if (m_outgoing.empty())
        return;
    m_trace.bytesOnLine(m_outgoingMs, ProtocolTrace::Direction::ToDevice, m_outgoing, verdict);
    m_outgoing.clear();
}

void TracedSerialComponent::traceInput(const std::string &piece)
{
    m_pieceMs = m_trace.now();
    // A poll that meets silence gives a reply up without a word: its next bytes start afresh.
    if (m_reading != Reading::Outside && m_pieceMs - m_pieceTimes.back() > kCharacterTimeoutMs)
        flushIncompleteReply();
    bool pieceCounted = false;
    for (const char c : piece) {
        if (m_reading == Reading::Outside) {
            if (c == kAck) {
                flushStray();
                m_trace.bytesOnLine(m_pieceMs, ProtocolTrace::Direction::FromDevice, {&c, 1}, "");
            } else if (c == kStx) {
                flushStray();
                m_reading = Reading::Text;
                m_reply.assign(1, c);
                m_replyChecksum = 0;
                m_pieceTimes.assign(1, m_pieceMs);
                pieceCounted = true;
            } else {
                m_stray += c;
            }
            continue;
        }
        if (!pieceCounted) {
            m_pieceTimes.push_back(m_pieceMs);
            pieceCounted = true;
        }
        m_reply += c;
        switch (m_reading) {
        case Reading::Text:
            if (c == kEtx)
                m_reading = Reading::HighDigit;
            else
                m_replyChecksum ^= static_cast<std::uint8_t>(c);
            break;
        case Reading::HighDigit:
            m_reading = Reading::LowDigit;
            break;
        default:
            flushReply(checksumVerdict());
            break;
        }
        if (m_reply.size() >= kLongestReplyLine)
            flushReply("trame trop longue, coupée ici");
    }
    flushStray();
}

void TracedSerialComponent::flushStray()
{
    if (m_stray.empty())
        return;
    m_trace.bytesOnLine(m_pieceMs, ProtocolTrace::Direction::FromDevice, m_stray, "hors trame");
    m_stray.clear();
}

void TracedSerialComponent::flushIncompleteReply()
{
    if (m_reading != Reading::Outside)
        flushReply("trame incomplète");
}

void TracedSerialComponent::flushReply(std::string_view verdict)
{
    std::string text(verdict);
    if (m_pieceTimes.size() > 1) {
        text += " ; morceaux à ";
        for (std::size_t i = 0; i < m_pieceTimes.size(); ++i)
            text += (i > 0 ? ", " : "") + std::to_string(m_pieceTimes[i]);
        text += " ms";
    }
    m_trace.bytesOnLine(m_pieceTimes.back(), ProtocolTrace::Direction::FromDevice, m_reply, text);
    m_reading = Reading::Outside;
    m_reply.clear();
    m_pieceTimes.clear();
}

std::string TracedSerialComponent::checksumVerdict() const
{
    const std::string computed = checksumDigits(m_replyChecksum);
    const std::string_view received = std::string_view(m_reply).substr(m_reply.size() - 2);
    if (received == computed)
        return "checksum juste";
    return "checksum faux (reçu " + namedText(received) + ", calculé " + computed + ")";
}
