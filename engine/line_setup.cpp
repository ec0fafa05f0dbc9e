#include "line_setup.h"

#include "serial_component.h"

std::string lineSettings(bool at9600)
{
    return at9600 ? "9600,e,7,1" : "1200,e,7,1";
}

void setUpLine(SerialComponent &port, std::int16_t portNumber, bool at9600)
{
    port.setInBufferSize(256);
    port.setCommPort(portNumber);
    port.setSettings(lineSettings(at9600));
    port.setRThreshold(1);
    port.setSThreshold(1);
    port.setInputLen(0);
    port.setDTREnable(true);
    port.setRTSEnable(true);
    port.setPortOpen(true);
}

void releaseLine(SerialComponent &port)
{
    if (port.PortOpen())
        port.setPortOpen(false);
}
