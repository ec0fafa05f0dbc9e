#include "gesrs.h"

#include "comm_error.h"
#include "failure_messages.h"
#include "frame.h"
#include "instruction_check.h"
#include "line_events.h"
#include "line_setup.h"

#include <utility>

namespace {

constexpr int kCharacterTimeoutMs = 500;  // silence allowed between characters of a reply
constexpr int kSlowAckTimeoutMs = 3000;   // after the ACK of a "V..." instruction
constexpr int kReportThrottleMs = 1000;   // at most one protocol or line report a second
constexpr std::int16_t kSettlingSeconds = 3;
// Far more than any real reply; a device that never sends ETX must not grow memory for ever.
constexpr std::size_t kMaxReplyLength = 64 * 1024;
// What the operator is told of it: the receive-overflow line event's text (Latin-1).
const std::string kReceiveOverflowText = "D\xE9passement du tampon de r\xE9"
                                         "ception";

int postSendIntervalMs(const std::string &text, bool at9600)
{
    // "V" and "\" make the device work before it answers; others are answered at once.
    if (text == "V")
        return 1500;
    if (text == "\\")
        return 6000;
    return at9600 ? 100 : 400;
}

}  // namespace

GesRS::GesRS(const GesRSPlatform &platform, TraitRS &traitRS)
    : MSComm1(platform.MSComm1)
    , Time_Wait(platform.Time_Wait)
    , Timer_car(platform.Timer_car)
    , Timer_mes(platform.Timer_mes)
    , m_events(platform.events)
    , m_clock(platform.clock)
    , m_view(platform.view)
    , m_traitRS(traitRS)
{
    Time_Wait.setTickHandler([this] { Time_Wait_Timer(); });
    Timer_car.setTickHandler([this] { Timer_car_Timer(); });
    Timer_mes.setTickHandler([this] { Timer_mes_Timer(); });

    Time_Wait.setEnabled(false);
    Time_Wait.setInterval(0);
    // Timer_car starts on with no interval: it never ticks, so the first operator exchange
    // waits through the whole settling countdown, and polls before it keep receiving.
    Timer_car.setInterval(0);
    Timer_car.setEnabled(true);
    // The throttle starts off, so that a fault is reported from the very first exchange.
    Timer_mes.setEnabled(false);
    Timer_mes.setInterval(0);
}

void GesRS::Time_Wait_Timer()
{
    Time_Wait.setEnabled(false);
}

void GesRS::Timer_car_Timer()
{
    Timer_car.setEnabled(false);
}

void GesRS::Timer_mes_Timer()
{
    Timer_mes.setEnabled(false);
}

void GesRS::reportProblem(const std::string &caption)
{
    Timer_mes.setEnabled(true);
    Timer_mes.setInterval(kReportThrottleMs);
    m_view.beep();
    m_view.setProblemVisible(true);
    m_view.setProblemCaption(caption);
    Status = 2;
}

void GesRS::envoicom(const std::string &requet)
{
    // A copy: the caller's string may be shared state that a nested call changes while we wait.
    const std::string text = requet;
    Call call;
    call.poll = text == kPollInstruction;

    if (!call.poll) {
        if (const std::string refusal = instructionRefusal(text); !refusal.empty()) {
            reportProblem(problemCaption(refusal));
            return;
        }
        settlingWait();
        nbessai = 0;
        requete = text;
        if (!setUpLineOrReport())
            return;
        dropStaleCharacters(call);
        Status = 0;
        Car.clear();
        checksum = 0;
        etape_Rs232 = 0;
        sendFrame(call, text);
        Timer_car.setInterval(kCharacterTimeoutMs);
        Timer_car.setEnabled(true);
        postSendWait(postSendIntervalMs(text, Select_Vitesse_9600));
    }
    receive(call);
    if (!call.poll)
        abandonUnfinishedReply();
}

void GesRS::abandonUnfinishedReply()
{
    // The window empties reponse(0) after every operator exchange, so a reply cut off past its
    // STX can no longer be shown whole: a later poll must not complete and acknowledge its tail.
    // The reception starts over at STX, where a device that sends its reply again is understood.
    if (etape_Rs232 >= 2) {
        etape_Rs232 = 1;
        m_traitRS.reponse.at(no_reponse).clear();
    }
}

template <typename Step>
auto GesRS::componentStep(const Call &call, Step &&step) -> decltype(step())
{
    using Result = decltype(step());
    // A poll has no failure handling of its own: the failure leaves envoicom for the caller.
    if (call.poll)
        return step();
    for (;;) {
        try {
            return step();
        } catch (const CommError &failure) {
            const OperatorView::FailureChoice choice = m_view.showExchangeFailure(
                exchangeFailureText(), exchangeFailureTitle(failure.number()));
            // Cancel goes on with a neutral result (no count, no characters, nothing written),
            // so characters already consumed are never fed to the reception again.
            if (choice == OperatorView::FailureChoice::Cancel)
                return Result();
        }
    }
}

void GesRS::settlingWait()
{
    // Lets a reception still in progress finish or go silent, but gives up after the clock's
    // second has changed four times. An unset remembered second counts as 0.
    std::int16_t countdown = kSettlingSeconds;
    int rememberedSecond = 0;
    while (Timer_car.enabled()) {
        m_events.runPending();
        const int second = m_clock.secondOfMinute();
        if (second != rememberedSecond) {
            if (countdown > 0)
                --countdown;
            else
                Timer_car.setEnabled(false);
            rememberedSecond = second;
        }
    }
}

bool GesRS::setUpLineOrReport()
{
    try {
        if (!MSComm1.PortOpen())
            setUpLine(MSComm1, voie_serie_Select, Select_Vitesse_9600);
        return true;
    } catch (const CommError &failure) {
        m_view.showSetupFailure(setupFailureText(failure.number()));
        m_events.runPending();
        try {
            releaseLine(MSComm1);
        } catch (const CommError &) {
            // The line could not even be closed; the next exchange's set-up will say why.
        }
        Timer_car.setEnabled(false);
        return false;
    }
}

void GesRS::dropStaleCharacters(const Call &call)
{
    // Stale characters must not be taken for the answer to the frame about to go out.
    if (componentStep(call, [this] { return MSComm1.InBufferCount(); }) > 0)
        Car = componentStep(call, [this] { return MSComm1.Input(); });
    m_faultsSeen = MSComm1.ReceptionFaults();
    // Nor may what is left of an unanswered frame reach a device that resumes reading later:
    // its answer would pass for the answer to this one. After a confirmed reply only its ACK
    // can be waiting, and the device expects it.
    if (m_frameUnanswered)
        componentStep(call, [this] { MSComm1.discardOutput(); });
}

void GesRS::sendFrame(const Call &call, const std::string &text)
{
    auto write = [&](char c) { componentStep(call, [&] { MSComm1.Output(std::string(1, c)); }); };
    write(kStx);
    for (const char c : text) {
        write(c);
        checksum ^= static_cast<std::uint8_t>(c);
    }
    write(kEtx);
    const std::string digits = checksumDigits(checksum);
    write(digits[0]);
    write(digits[1]);
    m_frameUnanswered = true;
}

void GesRS::postSendWait(int intervalMs)
{
    Time_Wait.setInterval(intervalMs);
    Time_Wait.setEnabled(true);
    while (Time_Wait.enabled())
        m_events.runPending();
}

void GesRS::receive(Call &call)
{
    for (;;) {
        call.msg_pb.clear();
        if (componentStep(call, [this] { return MSComm1.InBufferCount(); }) > 0) {
            FlagRS232 = true;
            Car = componentStep(call, [this] { return MSComm1.Input(); });
            noteSpoiledPiece(call);
            Timer_car.setEnabled(true);
            Timer_car.setInterval(kCharacterTimeoutMs);
            // A poll that meets the end of a piece inside the reply text returns at once and
            // leaves the rest to the next poll. An operator exchange keeps receiving instead,
            // so its reply is checked and shown whole, once.
            if (runReceptionMachine(call) == MachineStop::InsideText && call.poll)
                return;
        } else {
            call.msg_pb = lineEventText(
                [&] { return componentStep(call, [this] { return MSComm1.CommEvent(); }); });
        }

        m_events.runPending();

        bool silent = false;
        if (!Timer_car.enabled()) {
            silent = true;
            ++nbessai;
            // A frame the line never wholly took cannot have been answered: say so, whatever
            // the throttle, rather than blame the device.
            if (call.poll)
                Status = 1;
            else if (MSComm1.OutBufferCount() > 0)
                reportProblem(problemCaption("Tampon de transmission plein"));
            else
                reportProblem(problemCaption("ABSENCE DE REPONSE"));
        }
        // A silent poll ends quietly, whatever the line's last event says.
        if (!(silent && call.poll) && !call.msg_pb.empty()) {
            ++nbessai;
            if (!Timer_mes.enabled())
                reportProblem(problemCaption(call.msg_pb));
        }
        if (Status != 0)
            break;
    }
    Timer_car.setEnabled(false);
}

void GesRS::noteSpoiledPiece(const Call &call)
{
    const std::uint64_t faults = MSComm1.ReceptionFaults();
    m_pieceSpoiled = faults != m_faultsSeen;
    m_faultsSeen = faults;
    m_replySpoiled = m_replySpoiled || m_pieceSpoiled;
    // Kept now: a clean later piece replaces the line event before the reply is checked.
    if (m_pieceSpoiled)
        m_spoilingEvent = componentStep(call, [this] { return MSComm1.CommEvent(); });
}

GesRS::MachineStop GesRS::runReceptionMachine(Call &call)
{
    // Consumed characters are counted and cut from Car at once when the machine stops, so a
    // large piece costs its length, not its square. Only the ACK written for a good reply can
    // run events (a failure box), and a nested call may then change Car: Car is cut before it.
    std::size_t consumed = 0;
    const auto stop = [&](MachineStop how) {
        Car.erase(0, consumed);
        return how;
    };
    while (consumed < Car.size()) {
        const char c = Car[consumed];
        const bool more = consumed + 1 < Car.size();
        switch (etape_Rs232) {
        case 0:  // waiting for the device's ACK
            if (c != kAck) {
                call.msg_pb = "PAS D'ACK RECU";
                return stop(MachineStop::Stopped);
            }
            Timer_car.setInterval(requete.starts_with('V') ? kSlowAckTimeoutMs
                                                           : kCharacterTimeoutMs);
            etape_Rs232 = 1;
            no_reponse = 0;
            m_traitRS.reponse.at(no_reponse).clear();
            // A new reply: only faults in the piece that brings it can spoil it.
            m_replySpoiled = m_pieceSpoiled;
            break;
        case 1:  // waiting for the STX that opens the reply
            Timer_car.setInterval(kCharacterTimeoutMs);
            if (c != kStx) {
                call.msg_pb = "PAS DE RECEPTION STX";
                Status = 2;
                return stop(MachineStop::Stopped);
            }
            checksum = 0;
            m_traitRS.reponse.at(no_reponse).clear();
            etape_Rs232 = 2;
            break;
        case 2:  // reply text up to ETX; STX and ACK are text here
            Timer_car.setInterval(kCharacterTimeoutMs);
            if (c == kEtx) {
                etape_Rs232 = 3;
                break;
            }
            if (m_traitRS.reponse.at(no_reponse).size() >= kMaxReplyLength) {
                // A reply without end: dropped, and the exchange ends whatever the throttle.
                m_traitRS.reponse.at(no_reponse).clear();
                etape_Rs232 = 0;
                call.msg_pb = kReceiveOverflowText;
                Status = 2;
                return stop(MachineStop::Stopped);
            }
            checksum ^= static_cast<std::uint8_t>(c);
            m_traitRS.reponse.at(no_reponse) += c;
            if (!more)
                return stop(MachineStop::InsideText);
            break;
        case 3:  // high checksum digit, checked with the low one
            Timer_car.setInterval(kCharacterTimeoutMs);
            chk_haut = std::string(1, c);
            etape_Rs232 = 4;
            break;
        case 4:  // low checksum digit; whatever follows in this piece is ignored
            Timer_car.setInterval(kCharacterTimeoutMs);
            etape_Rs232 = 0;
            Car.erase(0, std::exchange(consumed, 0));
            if (m_replySpoiled) {
                // A character of this reply was marked bad or lost: the digits may match by
                // chance (two replaced characters cancel out). The line event says what happened.
                call.msg_pb = lineEventText([this] { return m_spoilingEvent; });
                if (call.msg_pb.empty())
                    call.msg_pb = "PB MAUVAIS CHECKSUM";
            } else if (replyDigitsMatch(checksum, chk_haut, c)) {
                componentStep(call, [this] { MSComm1.Output(std::string(1, kAck)); });
                m_frameUnanswered = false;
                m_view.afficheRecept();
                Status = 1;
            } else {
                call.msg_pb = "PB MAUVAIS CHECKSUM";
            }
            return MachineStop::Stopped;
        default:
            return stop(MachineStop::Stopped);
        }
        if (!more)
            return stop(MachineStop::Stopped);
        ++consumed;
    }
    return stop(MachineStop::Stopped);
}
