#pragma once

#include "operator_view.h"

class ExchangeJournal;
class ProtocolTrace;
class TracedSerialComponent;
struct TraitRS;

/// The operator view with the trace around it: what the operator is shown (a reply, a problem,
/// a failure box and the choice made) becomes a trace line, and the outcome of the exchange
/// the journal is recording.
class TracedOperatorView : public OperatorView
{
public:
    TracedOperatorView(OperatorView &inner,
                       const TraitRS &traitRS,
                       ProtocolTrace &trace,
                       TracedSerialComponent &port,
                       ExchangeJournal &journal);

    void afficheRecept() override;
    void beep() override;
    void setProblemVisible(bool visible) override;
    void setProblemCaption(const std::string &caption) override;
    void showSetupFailure(const std::string &text) override;
    FailureChoice showExchangeFailure(const std::string &text, const std::string &title) override;

private:
    OperatorView &m_inner;
    const TraitRS &m_traitRS;
    ProtocolTrace &m_trace;
    TracedSerialComponent &m_port;
    ExchangeJournal &m_journal;
};
