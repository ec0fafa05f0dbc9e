#pragma once

#include <QIcon>

/// The operator window's 32 x 32 icon, drawn in the 16 colours of the classic palette.
QIcon operatorWindowIcon();
