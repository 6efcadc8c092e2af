#pragma once

// One problem of a program's text as the model finds it, for an editor, the
// command-line check and a language server: the core's problem (a message
// with its arguments, its line and column; res/Problem.h), how bad it is, the
// bytes it is about, and, where the text can be mended mechanically, the edit
// that mends it.

#include "res/Language.h"
#include "res/Problem.h"
#include "res/StringTable.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

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

struct ProgramProblem : Problem {
    Severity severity = Severity::Error;
    std::size_t begin = 0; // the bytes it is about, from the start of the text
    std::size_t end = 0;
    std::optional<ProblemFix> fix;

    // The message with its arguments in `language` (DescribeProblem() gives
    // it in the current one).
    std::string Text(Language language) const;
};

} // namespace tessel
