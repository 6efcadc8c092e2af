#include "engine/FileShape.h"

#include "doc/TextOps.h"
#include "engine/Numbering.h"

#include <string>

namespace tessel {

FileShape FindFileShape(std::string_view text, ShapeScope scope) {
    FileShape shape;
    if (const auto offset = cp932::LooksLikeUtf8(text))
        shape.utf8Line = LineAt(text, *offset);
    if (scope == ShapeScope::Misread && StartsWithLineNum(text))
        return shape;
    std::string tidied;
    shape.tidy = Tidy(text, TextEncoding::Cp932, tidied);
    shape.numbersMissed = shape.tidy.numbered && !StartsWithLineNum(text);
    return shape;
}

} // namespace tessel
