#include "trace_tap.h"

TraceTap::TraceTap(const GesRSPlatform &platform,
                   const TraitRS &traitRS,
                   ProtocolTrace::MsClock now,
                   ExchangeJournal::WallClock wallClock)
    : m_inner(platform)
    , m_trace(std::move(now))
    , m_journal(std::move(wallClock))
    , m_port(platform.MSComm1, m_trace)
    , m_view(platform.view, traitRS, m_trace, m_port, m_journal)
{}

GesRSPlatform TraceTap::platform()
{
    return {m_port,
            m_inner.Time_Wait,
            m_inner.Timer_car,
            m_inner.Timer_mes,
            m_inner.events,
            m_inner.clock,
            m_view};
}
