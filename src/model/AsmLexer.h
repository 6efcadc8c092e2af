#pragma once

// The tokens of the assembler text of one line (what follows its number):
// a label (the first word when it is no mnemonic, or any word before a
// colon), the mnemonic or pseudo-instruction, registers and conditions,
// numbers (decimal, 0FFH, &HFF, #FF, 1010B), strings in either quote, and a
// comment from a semicolon.

#include "model/Token.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tessel {

class AsmLexer {
public:
    // Appends the tokens of `body`, which starts `offset` bytes into its line.
    static void Lex(std::string_view body, std::uint32_t offset, std::vector<Token>& out);
};

} // namespace tessel
