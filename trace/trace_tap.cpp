#include "trace_tap.h"

TraceTap::TraceTap(SerialComponent &port,
                   OperatorView &view,
                   const TraitRS &traitRS,
                   ProtocolTrace::MsClock now)
    : m_trace(std::move(now))
    , m_port(port, m_trace)
    , m_view(view, traitRS, m_trace, m_port)
{}
