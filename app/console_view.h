#pragma once

#include "operator_view.h"

#include <cstdio>
#include <string>

struct TraitRS;

/// The engine's operator view on a terminal: verified replies on one stream, problems and
/// port failures on the other, one line each. It never asks anything: an exchange failure is
/// answered Cancel, as nobody is there to retry.
class ConsoleView : public OperatorView
{
public:
    ConsoleView(const TraitRS &traitRS, std::FILE *replies, std::FILE *problems);

    /// Forgets what the previous instruction met.
    void startInstruction();
    bool replyVerified() const { return m_replyVerified; }
    bool portFailed() const { return m_portFailed; }
    /// The errno of the first reply that could not be written out (stream full, closed...), or
    /// 0: that reply is lost.
    int replyWriteError() const { return m_replyWriteError; }
    /// Says that `instruction` got no verified reply: for an instruction whose problem the
    /// engine kept quiet, as it reports at most one a second.
    void noteUnverified(const std::string &instruction);

    void afficheRecept() override;
    void beep() override {}
    void setProblemVisible(bool) override {}
    void setProblemCaption(const std::string &caption) override;
    void showSetupFailure(const std::string &text) override;
    FailureChoice showExchangeFailure(const std::string &text, const std::string &title) override;

private:
    /// 0 once the line is written and flushed, otherwise the errno.
    int writeLine(std::FILE *stream, const std::string &engineText);
    void writeProblem(const std::string &engineText);

    const TraitRS &m_traitRS;
    std::FILE *m_replies;
    std::FILE *m_problems;
    bool m_replyVerified = false;
    bool m_portFailed = false;
    int m_replyWriteError = 0;
    std::string m_lastProblem;  // a failing step retried character by character says it once
};
