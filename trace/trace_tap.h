#pragma once

#include "gesrs.h"
#include "protocol_trace.h"
#include "standard_error_sink.h"
#include "traced_operator_view.h"
#include "traced_serial_component.h"

/// The trace around the engine: hand GesRS platform(), the platform given with its serial
/// component and operator view wrapped. While no sink listens the wrappers only forward, so
/// the tap can stay in for good and a sink can be added at any moment.
class TraceTap
{
public:
    TraceTap(const GesRSPlatform &platform,
             const TraitRS &traitRS,
             ProtocolTrace::MsClock now = {});
    TraceTap(const TraceTap &) = delete;
    TraceTap &operator=(const TraceTap &) = delete;

    GesRSPlatform platform();
    ProtocolTrace &trace() { return m_trace; }

    /// Every line from now on also goes to standard error (--trace).
    void traceToStandardError() { m_trace.addSink(m_standardError); }

private:
    GesRSPlatform m_inner;
    ProtocolTrace m_trace;
    StandardErrorSink m_standardError;
    TracedSerialComponent m_port;
    TracedOperatorView m_view;
};
