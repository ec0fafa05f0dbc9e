#pragma once

#include "clock.h"
#include "event_pump.h"
#include "fake_device.h"
#include "fake_serial_port.h"
#include "fake_timer.h"
#include "gesrs.h"
#include "operator_view.h"
#include "traitrs.h"
#include "virtual_timeline.h"

#include <deque>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using Texts = std::vector<std::string>;

/// The fakes of everything a GesRS needs, on one virtual timeline, with a scripted device on
/// the port. The rig itself is the wall clock, the event pump and the operator window as the
/// engine sees it.
struct EngineFakes : Clock, EventPump, OperatorView
{
    VirtualTimeline timeline;
    FakeTimer Time_Wait{timeline};
    FakeTimer Timer_car{timeline};
    FakeTimer Timer_mes{timeline};
    std::int64_t clockOffsetMs = 0;  // puts virtual time 0 anywhere in a minute
    std::int64_t pumpCalls = 0;
    FakeSerialPort port{timeline};
    FakeDevice device{port, timeline};
    TraitRS traitRS;
    // What the window was shown, in order. Exchange failure boxes are answered from `choices`,
    // then with the default button, Retry.
    Texts shown;     // every reply
    Texts captions;  // every problem caption
    int beeps = 0;
    Texts setupBoxes;
    std::vector<std::pair<std::string, std::string>> exchangeBoxes;  // text, title
    std::deque<FailureChoice> choices;

    int secondOfMinute() const override { return (timeline.now() + clockOffsetMs) / 1000 % 60; }
    /// Moves virtual time on by 1 ms and runs what fell due, so a busy wait ends after a known
    /// number of turns. A wait that never ends fails the test instead of hanging it.
    void runPending() override
    {
        ++pumpCalls;
        if (timeline.now() >= 10 * 60 * 1000)
            throw std::logic_error("virtual time limit passed: a wait never ended");
        timeline.advance(1);
    }

    void afficheRecept() override { shown.push_back(traitRS.reponse[0]); }
    void beep() override { ++beeps; }
    void setProblemVisible(bool) override {}
    void setProblemCaption(const std::string &caption) override { captions.push_back(caption); }
    void showSetupFailure(const std::string &text) override { setupBoxes.push_back(text); }
    FailureChoice showExchangeFailure(const std::string &text, const std::string &title) override
    {
        exchangeBoxes.emplace_back(text, title);
        // A failure that never clears, answered Retry for ever, would hang the test.
        if (exchangeBoxes.size() > 1000)
            throw std::logic_error("the exchange failure box keeps coming back");
        if (choices.empty())
            return FailureChoice::Retry;
        const FailureChoice choice = choices.front();
        choices.pop_front();
        return choice;
    }

    /// As a finished exchange leaves the line: COM1 open, Timer_car off, nothing to settle.
    void finishedExchange(GesRS &gesrs)
    {
        gesrs.voie_serie_Select = 1;
        port.setPortOpen(true);
        Timer_car.setEnabled(false);
    }
};

/// A GesRS on the fakes.
struct EngineRig : EngineFakes
{
    GesRS gesrs{GesRSPlatform{port, Time_Wait, Timer_car, Timer_mes, *this, *this, *this}, traitRS};

    /// Fresh, as the program starts: COM1 at 1200 baud, line closed, Timer_car stuck on.
    /// Otherwise as a finished exchange leaves it.
    explicit EngineRig(bool fresh = false)
    {
        gesrs.voie_serie_Select = 1;
        if (!fresh)
            finishedExchange(gesrs);
    }
    void answer(const std::string &bytes, std::int64_t afterMs = 50)
    {
        device.answerNext({{afterMs, bytes}});
    }
    void poll() { gesrs.envoicom("WWWW"); }
};
