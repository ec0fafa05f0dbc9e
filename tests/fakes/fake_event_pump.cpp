#include "fake_event_pump.h"

#include <stdexcept>

void FakeEventPump::runPending()
{
    ++m_calls;
    if (m_timeline.now() >= m_timeLimit)
        throw std::logic_error("virtual time limit passed: a wait never ended");
    m_timeline.advance(m_quantum);
}
