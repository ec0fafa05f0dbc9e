#include "drill_rig.h"
