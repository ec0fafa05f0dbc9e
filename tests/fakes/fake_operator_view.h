#pragma once

#include "operator_view.h"
#include "traitrs.h"

#include <array>
#include <deque>
#include <string>
#include <utility>
#include <vector>

class GesRS;

/// The operator window as the engine sees it: a four-line history, the problem label, beeps,
/// and message boxes answered from a script.
class FakeOperatorView : public OperatorView
{
public:
    explicit FakeOperatorView(TraitRS &traitRS)
        : m_traitRS(traitRS)
    {}
    /// afficheRecept clears the manager's FlagRS232, as the window's does.
    void setGesRS(GesRS *gesrs) { m_gesrs = gesrs; }

    void afficheRecept() override;
    void beep() override { ++beeps; }
    void setProblemVisible(bool visible) override { problemVisible = visible; }
    void setProblemCaption(const std::string &caption) override;
    void showSetupFailure(const std::string &text) override { setupBoxes.push_back(text); }
    FailureChoice showExchangeFailure(const std::string &text, const std::string &title) override;

    /// Answers of the next exchange failure boxes, in order.
    std::deque<FailureChoice> choices;
    /// The answer once the script is used up: the box's default button.
    FailureChoice choiceWhenUnscripted = FailureChoice::Retry;

    std::array<std::string, 4> RxWin;  // 0 is the newest line
    std::string Recept;
    std::vector<std::string> shown;  // every reply shown, in order
    bool problemVisible = false;
    std::string problemCaption;
    std::vector<std::string> captions;  // every non-empty caption set, in order
    int beeps = 0;
    std::vector<std::string> setupBoxes;
    std::vector<std::pair<std::string, std::string>> exchangeBoxes;  // text, title

private:
    TraitRS &m_traitRS;
    GesRS *m_gesrs = nullptr;
};
