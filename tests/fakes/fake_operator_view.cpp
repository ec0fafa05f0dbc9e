#include "fake_operator_view.h"

#include "gesrs.h"

#include <stdexcept>

void FakeOperatorView::afficheRecept()
{
    Recept = m_traitRS.reponse[0];
    RxWin[3] = RxWin[2];
    RxWin[2] = RxWin[1];
    RxWin[1] = RxWin[0];
    RxWin[0] = Recept;
    if (m_gesrs)
        m_gesrs->FlagRS232 = false;
    problemVisible = false;
    problemCaption.clear();
    shown.push_back(Recept);
}

void FakeOperatorView::setProblemCaption(const std::string &caption)
{
    problemCaption = caption;
    if (!caption.empty())
        captions.push_back(caption);
}

OperatorView::FailureChoice FakeOperatorView::showExchangeFailure(const std::string &text,
                                                                  const std::string &title)
{
    exchangeBoxes.emplace_back(text, title);
    // A failure that never clears, answered Retry for ever, would hang the test.
    if (exchangeBoxes.size() > 1000)
        throw std::logic_error("the exchange failure box keeps coming back");
    if (choices.empty())
        return choiceWhenUnscripted;
    const FailureChoice choice = choices.front();
    choices.pop_front();
    return choice;
}
