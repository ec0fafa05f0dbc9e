#include "traced_operator_view.h"

#include "exchange_journal.h"
#include "protocol_trace.h"
#include "trace_text.h"
#include "traced_serial_component.h"
#include "traitrs.h"

namespace {

// The boxes break and indent their lines with "\r" and spaces; a trace line is one line.
std::string oneLine(std::string_view text)
{
    std::string line;
    for (const char c : text) {
        const char shown = c == '\r' ? ' ' : c;
        if (shown != ' ' || (!line.empty() && line.back() != ' '))
            line += shown;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return latin1ToUtf8(line);
}

}  // namespace

TracedOperatorView::TracedOperatorView(OperatorView &inner,
                                       const TraitRS &traitRS,
                                       ProtocolTrace &trace,
                                       TracedSerialComponent &port,
                                       ExchangeJournal &journal)
    : m_inner(inner)
    , m_traitRS(traitRS)
    , m_trace(trace)
    , m_port(port)
    , m_journal(journal)
{}

void TracedOperatorView::afficheRecept()
{
    m_trace.event(m_trace.now(), "réponse affichée : " + namedText(m_traitRS.reponse[0]));
    m_journal.noteReply(m_traitRS.reponse[0]);
    m_inner.afficheRecept();
}

void TracedOperatorView::beep()
{
    m_inner.beep();
}

void TracedOperatorView::setProblemVisible(bool visible)
{
    m_inner.setProblemVisible(visible);
}

void TracedOperatorView::setProblemCaption(const std::string &caption)
{
    if (!caption.empty()) {
        // A report ends the wait for a reply still incomplete: its bytes come first.
        m_port.flushIncompleteReply();
        m_trace.event(m_trace.now(), "problème affiché : " + latin1ToUtf8(caption));
        m_journal.noteProblem(caption);
    }
    m_inner.setProblemCaption(caption);
}

void TracedOperatorView::showSetupFailure(const std::string &text)
{
    m_trace.event(m_trace.now(), "boîte : " + oneLine(text));
    m_journal.noteFailure(m_port.lastFailure());
    m_inner.showSetupFailure(text);
}

OperatorView::FailureChoice TracedOperatorView::showExchangeFailure(const std::string &text,
                                                                    const std::string &title)
{
    const FailureChoice choice = m_inner.showExchangeFailure(text, title);
    m_trace.event(m_trace.now(),
                  "boîte « " + oneLine(title) + " » : " + oneLine(text) + ", choix " +
                      (choice == FailureChoice::Retry ? "Réessayer" : "Annuler"));
    m_journal.noteFailure(m_port.lastFailure());
    return choice;
}
