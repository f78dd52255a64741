#pragma once

#include <QIcon>

// The program's icon in every size it ships (the main window's icon).
QIcon ViewerIcon();
