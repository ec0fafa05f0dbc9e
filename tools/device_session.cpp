#include "device_session.h"

#include "answer_builder.h"
#include "piece_splitter.h"

#include <algorithm>
#include <utility>

namespace sim {

namespace {

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string inMs(Micros duration)
{
    return std::to_string(duration.count() / 1000) + " ms";
}

}  // namespace

DeviceSession::DeviceSession(SessionSettings settings, FaultPicker faults, SimLog &log)
    : m_settings(std::move(settings))
    , m_faults(std::move(faults))
    , m_log(log)
    , m_decoder(m_settings.maskTo7Bits)
    , m_nextUnsolicited(m_settings.unsolicitedEvery)
{
    if (m_settings.pacing == Pacing::None) {
        m_settings.characterTime = Micros(0);
    }
}

void DeviceSession::receive(std::string_view bytes, Micros now)
{
    if (bytes.empty()) {
        return;
    }
    m_lastInput = now;
    m_lastActivity = now;
    Micros arrival = now;
    if (m_settings.pacing == Pacing::Simulated) {
        // A pseudo-terminal delivers at once what a real line would take its time to carry.
        m_inputFreeAt = std::max(now, m_inputFreeAt) +
                        m_settings.characterTime * static_cast<long>(bytes.size());
        arrival = m_inputFreeAt;
    }

    if (m_settings.maskTo7Bits) {
        const auto lost =
            std::count_if(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
        if (lost > 0) {
            m_log.event(now,
                        std::to_string(lost) +
                            " octet(s) avec le 8e bit : perdu sur une ligne 7 bits");
        }
    }
    for (const DecodedEvent &event : m_decoder.feed(bytes)) {
        m_log.bytesIn(now, event.raw);
        switch (event.kind) {
        case DecodedEvent::Kind::Frame:
            onFrame(event, arrival, now);
            break;
        case DecodedEvent::Kind::Ack:
            onAck(now);
            break;
        case DecodedEvent::Kind::Stray:
            m_log.event(now, "octets hors trame ignorés");
            break;
        }
    }
}

void DeviceSession::onFrame(const DecodedEvent &frame, Micros arrival, Micros now)
{
    if (m_ackWait) {
        m_log.event(now, "ACK non reçu avant la trame suivante");
        endExchange(now);
    }
    if (!frame.checksumOk) {
        m_log.event(now,
                    "trame reçue " + quoted(frame.text) + " : checksum faux (reçu " +
                        frame.receivedDigits + ", attendu " + frame.expectedDigits +
                        "), pas de réponse");
        return;
    }
    m_log.event(now, "trame reçue " + quoted(frame.text) + " : checksum correct");
    answer(frame.text, arrival, now);
}

void DeviceSession::onAck(Micros now)
{
    if (!m_ackWait) {
        m_log.event(now, "ACK inattendu, ignoré");
        return;
    }
    if (m_ackWait->fault == Fault::None || m_ackWait->fault == Fault::Unsolicited) {
        m_log.event(now, "ACK reçu");
    } else {
        // The tool should never confirm a spoilt answer: make that plain in the journal.
        m_log.event(now,
                    "ACK reçu alors que la réponse était fautive (" +
                        std::string(faultName(m_ackWait->fault)) + ")");
    }
    endExchange(now);
}

void DeviceSession::answer(const std::string &instruction, Micros arrival, Micros now)
{
    const std::string reply = replyFor(instruction, now);
    const Fault fault = m_faults.next();
    const Answer planned = buildAnswer(reply, fault, m_faults.random(), m_settings.floodSize);

    std::string description = "réponse " + quoted(planned.text);
    if (fault != Fault::None) {
        description += " (faute " + std::string(faultName(fault)) + ")";
    }
    if (planned.bytes.empty()) {
        m_log.event(now, description + " : rien n'est envoyé");
        return;
    }
    m_log.event(now, description);

    Micros start = std::max(arrival, m_lineFreeAt) + m_settings.turnaround;
    Micros end = start;
    for (std::string &piece : splitIntoPieces(planned.bytes, m_settings.pieceSizes)) {
        end = schedule(start, std::move(piece), true);
        start = end + m_settings.gap;
    }
    m_ackWait = AckWait{end + m_settings.ackTimeout, fault, planned.strayAfter};
}

std::string DeviceSession::replyFor(const std::string &instruction, Micros now)
{
    if (m_settings.table.size() > 0) {
        if (auto reply = m_settings.table.lookup(instruction)) {
            return *reply;
        }
        m_log.event(now,
                    "instruction absente de la table : " +
                        std::string(m_settings.fixedReply ? "réponse par défaut" : "écho"));
    }
    return m_settings.fixedReply.value_or(instruction);
}

void DeviceSession::endExchange(Micros now)
{
    const bool strayAfter = m_ackWait && m_ackWait->strayAfter;
    m_ackWait.reset();
    if (strayAfter) {
        m_log.event(now, "octets spontanés " + quoted(kStrayBytes) + " après l'échange");
        schedule(
            std::max(now, m_lineFreeAt) + m_settings.turnaround, std::string(kStrayBytes), false);
    }
}

Micros DeviceSession::schedule(Micros start, std::string bytes, bool partOfAnswer)
{
    m_pieces.push_back(Piece{start, std::move(bytes), 0, partOfAnswer});
    m_lineFreeAt = pieceEnd(m_pieces.back());
    return m_lineFreeAt;
}

Micros DeviceSession::pieceEnd(const Piece &piece) const
{
    return piece.start + m_settings.characterTime * static_cast<long>(piece.bytes.size());
}

Micros DeviceSession::dueTime(const Piece &piece, std::size_t index) const
{
    if (m_settings.pacing != Pacing::Simulated) {
        return piece.start;
    }
    return piece.start + m_settings.characterTime * static_cast<long>(index + 1);
}

std::size_t DeviceSession::dueCount(const Piece &piece, Micros now) const
{
    if (now < dueTime(piece, 0)) {
        return 0;
    }
    if (m_settings.pacing != Pacing::Simulated) {
        return piece.bytes.size();
    }
    const auto elapsed = static_cast<std::size_t>((now - piece.start) / m_settings.characterTime);
    return std::min(elapsed, piece.bytes.size());
}

std::string DeviceSession::advance(Micros now)
{
    if (m_ackWait && now >= m_ackWait->deadline) {
        m_log.event(now,
                    "ACK non reçu dans les " + inMs(m_settings.ackTimeout) + " après la réponse");
        endExchange(now);
    }
    if (m_decoder.inFrame() && now - m_lastInput >= m_settings.frameTimeout) {
        const std::string partial = m_decoder.abandon();
        m_log.event(now, "trame incomplète abandonnée : " + hexAndText(partial));
    }
    if (m_settings.unsolicitedEvery > Micros(0) && now >= m_nextUnsolicited) {
        if (!busy()) {
            m_log.event(now, "octets spontanés " + quoted(kStrayBytes));
            schedule(std::max(now, m_lineFreeAt), std::string(kStrayBytes), false);
        }
        m_nextUnsolicited = now + m_settings.unsolicitedEvery;
    }

    std::string out;
    while (!m_pieces.empty()) {
        Piece &piece = m_pieces.front();
        const std::size_t due = dueCount(piece, now);
        if (due == piece.sent) {
            break;
        }
        if (piece.sent == 0) {
            m_log.bytesOut(now, piece.bytes);
        }
        out.append(piece.bytes, piece.sent, due - piece.sent);
        piece.sent = due;
        if (piece.sent < piece.bytes.size()) {
            break;
        }
        if (piece.partOfAnswer) {
            m_lastActivity = now;
        }
        m_pieces.pop_front();
    }
    return out;
}

std::optional<Micros> DeviceSession::nextWake() const
{
    std::optional<Micros> wake;
    const auto consider = [&wake](Micros at) {
        if (!wake || at < *wake) {
            wake = at;
        }
    };
    if (!m_pieces.empty()) {
        consider(dueTime(m_pieces.front(), m_pieces.front().sent));
    }
    if (m_ackWait) {
        consider(m_ackWait->deadline);
    }
    if (m_decoder.inFrame()) {
        consider(m_lastInput + m_settings.frameTimeout);
    }
    if (m_settings.unsolicitedEvery > Micros(0)) {
        consider(m_nextUnsolicited);
    }
    return wake;
}

bool DeviceSession::busy() const
{
    return m_decoder.inFrame() || m_ackWait.has_value() ||
           std::any_of(m_pieces.begin(), m_pieces.end(), [](const Piece &piece) {
               return piece.partOfAnswer;
           });
}

}  // namespace sim
