#include "qt_event_pump.h"

#include <QCoreApplication>
#include <QEventLoop>

QtEventPump::QtEventPump()
{
    m_wakeUp.setSingleShot(true);
    m_wakeUp.setTimerType(Qt::PreciseTimer);
}

void QtEventPump::runPending()
{
    // Blocks in the event dispatcher until a tick, an arriving character (the serial port's
    // notifier), operator input or the wake-up falls due, then handles what is pending once.
    m_wakeUp.start(kMaxSleepMs);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    m_wakeUp.stop();
}
