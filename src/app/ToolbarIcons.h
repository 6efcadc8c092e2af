#pragma once

#include <QIcon>

namespace tessel {

// The toolbar's pictures, drawn by the program itself.
QIcon ToolbarIcon(int commandId);

} // namespace tessel
