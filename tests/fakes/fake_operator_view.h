#pragma once

#include "operator_view.h"
#include "traitrs.h"

#include <deque>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

/// The operator window as the engine sees it, recording what it is shown; exchange failure
/// boxes are answered from a script, then with the default button, Retry.
class FakeOperatorView : public OperatorView
{
public:
    explicit FakeOperatorView(const TraitRS &traitRS)
        : m_traitRS(traitRS)
    {}

    void afficheRecept() override { shown.push_back(m_traitRS.reponse[0]); }
    void beep() override { ++beeps; }
    void setProblemVisible(bool visible) override { problemVisible = visible; }
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

    std::deque<FailureChoice> choices;
    std::vector<std::string> shown;     // every reply shown, in order
    std::vector<std::string> captions;  // every problem caption set, in order
    bool problemVisible = false;
    int beeps = 0;
    std::vector<std::string> setupBoxes;
    std::vector<std::pair<std::string, std::string>> exchangeBoxes;  // text, title

private:
    const TraitRS &m_traitRS;
};
