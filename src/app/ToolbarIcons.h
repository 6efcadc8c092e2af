#pragma once

#include <QIcon>

namespace tessel {

enum class DocKind;

// The toolbar's pictures, drawn by the program itself.
QIcon ToolbarIcon(int commandId);
// Each document type's icon: a page with the type's letter.
QIcon DocumentIcon(DocKind kind);
// The program's icon: the pocket computer.
QIcon ApplicationIcon();

} // namespace tessel
