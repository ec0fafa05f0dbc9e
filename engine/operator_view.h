#pragma once

#include <cstdint>
#include <string>

/// What the engine asks of the operator window. Texts are one byte per character (Latin-1).
class OperatorView
{
public:
    enum class FailureChoice { Retry, Cancel };

    virtual ~OperatorView() = default;

    /// TraitRS's reply-history display: shows reponse(0) as the newest line.
    virtual void afficheRecept() = 0;
    virtual void beep() = 0;
    virtual void setProblemVisible(bool visible) = 0;  // Pb_rs shown or hidden
    virtual void setProblemCaption(const std::string &caption) = 0;
    /// Set-up failure box: OK alone, no icon; "\r" in the text is a line break.
    virtual void showSetupFailure(const std::string &text) = 0;
    /// Exchange failure box: Retry (the default) and Cancel, critical icon.
    virtual FailureChoice showExchangeFailure(const std::string &text,
                                              const std::string &title) = 0;
};
