#include "start_up.h"

#include "argument_presets.h"
#include "comrs232.h"
#include "gesrs.h"

#include <QAction>

void startUp(ComRS232 &window, GesRS &gesRS, const std::string &argumentText)
{
    window.sizeToClientArea();

    const ArgumentPresets presets = presetsFrom(argumentText);
    gesRS.voie_serie_Select = presets.port;
    window.port(presets.port)->setChecked(true);

    gesRS.Select_Vitesse_9600 = presets.speed9600;
    window.SPEED(presets.speed9600 ? 2 : 1)->setChecked(true);

    window.show();
}
