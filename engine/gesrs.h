#pragma once

#include "clock.h"
#include "event_pump.h"
#include "one_shot_timer.h"
#include "operator_view.h"
#include "serial_component.h"
#include "traitrs.h"

#include <cstdint>
#include <string>

/// What GesRS reaches the world through; app/main.cpp wires the Qt versions, the tests fakes.
struct GesRSPlatform
{
    SerialComponent &MSComm1;
    OneShotTimer &Time_Wait;
    OneShotTimer &Timer_car;
    OneShotTimer &Timer_mes;
    EventPump &events;
    Clock &clock;
    OperatorView &view;
};

/// The serial-line manager: the exchange state shared with the window, and envoicom.
class GesRS
{
public:
    GesRS(const GesRSPlatform &platform, TraitRS &traitRS);
    GesRS(const GesRS &) = delete;
    GesRS &operator=(const GesRS &) = delete;

    /// One operator exchange, or a poll when requet is exactly "WWWW".
    /// Failures in a poll propagate as CommError; an operator exchange handles its own.
    void envoicom(const std::string &requet);

    /// The problem report: arms the throttle Timer_mes, beeps, shows the caption in Pb_rs, Status := 2.
    /// It does not look at the throttle; its callers do.
    void reportProblem(const std::string &caption);

    // Tick handlers: each only switches its own timer off.
    void Time_Wait_Timer();
    void Timer_car_Timer();
    void Timer_mes_Timer();

    // The exchange state, public as the window reads and writes it directly.
    bool FlagRS232 = false;    // reply characters read and not yet shown
    std::string requete;       // instruction of the latest operator exchange
    std::string Car;           // characters read and not yet consumed
    std::int64_t nbessai = 0;  // failed passes since the latest operator exchange; grows while idle
    std::int16_t etape_Rs232 = 0;  // reception step 0..4, kept across calls so a poll can resume
    std::int16_t no_reponse = 0;   // index into reponse of the reply being received: always 0
    std::int16_t Status = 0;       // 0 under way, 1 finished, 2 failed
    std::int16_t voie_serie_Select = 0;  // COM port number 1..4 for the next line set-up
    bool Select_Vitesse_9600 = false;    // 9600 baud when true, else 1200, at the next set-up

    SerialComponent &MSComm1;
    OneShotTimer &Time_Wait;  // post-send wait
    OneShotTimer &Timer_car;  // silence watchdog, also watched by the settling wait
    OneShotTimer &Timer_mes;  // report throttle

private:
    // One run of envoicom. Nested runs each have their own, so a poll inside an exchange neither
    // borrows the exchange's failure handling nor overwrites its problem text.
    struct Call
    {
        bool poll = false;   // requet was "WWWW": no failure handling, and the early return applies
        std::string msg_pb;  // problem text of the current reception pass
    };
    enum class MachineStop { Stopped, InsideText };

    template <typename Step> auto componentStep(const Call &call, Step &&step) -> decltype(step());
    void settlingWait();
    bool setUpLineOrReport();
    void dropStaleCharacters(const Call &call);
    void sendFrame(const Call &call, const std::string &text);
    void postSendWait(int intervalMs);
    void receive(Call &call);
    MachineStop runReceptionMachine(Call &call);
    void noteSpoiledPiece(const Call &call);
    void abandonUnfinishedReply();

    EventPump &m_events;
    Clock &m_clock;
    OperatorView &m_view;
    TraitRS &m_traitRS;

    std::uint8_t checksum = 0;       // running exclusive-or of the text being sent or received
    std::string chk_haut;            // first checksum digit of the reply, until the second arrives
    std::uint64_t m_faultsSeen = 0;  // the component's ReceptionFaults at the latest read
    bool m_pieceSpoiled = false;     // the latest piece held a bad or lost character
    bool m_replySpoiled = false;     // so did a piece of the reply being received
    int m_spoilingEvent = 0;         // the line event read with the latest spoiled piece
    bool m_frameUnanswered = false;  // the latest frame got no confirmed reply
};
