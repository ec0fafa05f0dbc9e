#pragma once

#include "exchange_journal.h"
#include "gesrs.h"
#include "protocol_trace.h"
#include "standard_error_sink.h"
#include "traced_operator_view.h"
#include "traced_serial_component.h"

/// The trace around the engine: hand GesRS platform(), the platform given with its serial
/// component and operator view wrapped. The tap stays in for good: the trace keeps its newest
/// lines for a sink added at any moment, and the journal records while it has a file.
class TraceTap
{
public:
    TraceTap(const GesRSPlatform &platform,
             const TraitRS &traitRS,
             ProtocolTrace::MsClock now = {},
             ExchangeJournal::WallClock wallClock = {});
    TraceTap(const TraceTap &) = delete;
    TraceTap &operator=(const TraceTap &) = delete;

    GesRSPlatform platform();
    ProtocolTrace &trace() { return m_trace; }
    ExchangeJournal &journal() { return m_journal; }

    /// Every line from now on also goes to standard error (--trace).
    void traceToStandardError() { m_trace.addSink(m_standardError); }

private:
    GesRSPlatform m_inner;
    ProtocolTrace m_trace;
    ExchangeJournal m_journal;
    StandardErrorSink m_standardError;
    TracedSerialComponent m_port;
    TracedOperatorView m_view;
};
