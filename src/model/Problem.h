#pragma once

// One problem of a program's text, as an editor, the command-line check and
// a language server show it: what (a string-table message with its
// arguments), how bad, where (line and column, and the bytes it is about),
// and, where the text can be mended mechanically, the edit that mends it.

#include "res/Language.h"
#include "res/StringTable.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessel {

enum class Severity : std::uint8_t {
    Error,   // the device, a send, a sort or a renumbering refuses the text
    Warning, // the text goes, but not as it was meant
    Hint,    // nothing is lost: something a command changes on the way
};

// `length` bytes of the text from `offset` on replaced by `text`.
struct TextEdit {
    std::size_t offset = 0;
    std::size_t length = 0;
    std::string text;

    bool operator==(const TextEdit&) const = default;
};

// A mechanical mend: what an editor calls it, and the edit that makes it.
struct ProblemFix {
    StringId title = IDS_NONE;
    TextEdit edit;

    bool operator==(const ProblemFix&) const = default;
};

struct Problem {
    StringId message = IDS_NONE;
    std::vector<std::string> arguments; // for %1 and %2 of the message
    Severity severity = Severity::Error;
    std::size_t line = 0;   // 0-based
    std::size_t column = 0; // 0-based, in bytes from the line's start
    std::size_t begin = 0;  // the bytes it is about, from the start of the text
    std::size_t end = 0;
    std::optional<ProblemFix> fix;

    // The message with its arguments, in the current language or in `language`.
    std::string Text() const;
    std::string Text(Language language) const;

    bool operator==(const Problem&) const = default;
};

} // namespace tessel
