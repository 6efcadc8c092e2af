#pragma once

// The tokens of the CASL text of one line (what follows its number): a
// label (the first word when it is no instruction), the instruction, macro
// or pseudo-instruction (START, END, DS, DC), registers GR0 to GR7,
// numbers (decimal, #FFFF), strings in single quotes (a doubled quote
// inside), literals after '=', and a comment from a semicolon.

#include "model/Token.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tessel {

class CaslLexer {
public:
    // Appends the tokens of `body`, which starts `offset` bytes into its line.
    static void Lex(std::string_view body, std::uint32_t offset, std::vector<Token>& out);
};

} // namespace tessel
