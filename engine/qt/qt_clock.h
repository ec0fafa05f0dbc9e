#pragma once

#include "clock.h"

class QtClock : public Clock
{
public:
    int secondOfMinute() const override;
};
