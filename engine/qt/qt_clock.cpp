#include "qt_clock.h"

#include <QTime>

int QtClock::secondOfMinute() const
{
    return QTime::currentTime().second();
}
