#pragma once

#include <QIcon>

namespace odecet {

// The program's icon in every size it ships (the main window's icon).
QIcon ViewerIcon();

}  // namespace odecet
