#include "engine_rig.h"

EngineRig::EngineRig()
{
    view.setGesRS(&gesrs);
    gesrs.voie_serie_Select = 1;
}

void EngineRig::skipStartUp()
{
    port.setPortOpen(true);
    Timer_car.setEnabled(false);
}

std::int64_t EngineRig::lastWriteTime() const
{
    return port.outputs().empty() ? -1 : port.outputs().back().time;
}
