#pragma once

#include "protocol_trace.h"
#include "standard_error_sink.h"
#include "traced_operator_view.h"
#include "traced_serial_component.h"

/// The trace around the engine: hand GesRS port() and view() in place of the component and
/// the view themselves. While no sink listens they only forward, so the tap can stay in for
/// good and a sink can be added at any moment.
class TraceTap
{
public:
    TraceTap(SerialComponent &port,
             OperatorView &view,
             const TraitRS &traitRS,
             ProtocolTrace::MsClock now = {});
    TraceTap(const TraceTap &) = delete;
    TraceTap &operator=(const TraceTap &) = delete;

    SerialComponent &port() { return m_port; }
    OperatorView &view() { return m_view; }
    ProtocolTrace &trace() { return m_trace; }

    /// Every line from now on also goes to standard error (--trace).
    void traceToStandardError() { m_trace.addSink(m_standardError); }

private:
    ProtocolTrace m_trace;
    StandardErrorSink m_standardError;
    TracedSerialComponent m_port;
    TracedOperatorView m_view;
};
