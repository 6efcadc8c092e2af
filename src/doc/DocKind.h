#pragma once

#include <string_view>

namespace tessel {

// The six kinds of document, in the order the program registers them.
enum class DocKind { Basic, C, Asm, Casl, Text, Data };

// The kind's file extension, with its dot (".bas").
std::string_view DocKindExtension(DocKind kind);
// The kind whose extension a file name ends with, compared without case; a
// file with any other extension opens as BASIC.
DocKind DocKindFromPath(std::string_view path);
// The kind's name as options give it ("basic", "c", "asm", "casl", "text",
// "data").
std::string_view DocKindName(DocKind kind);
// The kind named `name` ("basic", "c", ...), without case; false when none is.
bool DocKindFromName(std::string_view name, DocKind& kind);

inline bool IsLineNumbered(DocKind kind) {
    return kind != DocKind::Data;
}

} // namespace tessel
