#pragma once

// The tokens of the C text of one line (what follows its number): keywords,
// names, numbers, strings and character constants, comments (a /* comment
// runs on into the lines after it), preprocessor lines, operators.

#include "model/SourceLexer.h"

namespace tessel {

class CLexer {
public:
    // Appends the tokens of `body`, which starts `offset` bytes into its
    // line; returns whether a comment runs on past it.
    static LexState Lex(std::string_view body, std::uint32_t offset, LexState state,
                        std::vector<Token>& out);
};

} // namespace tessel
