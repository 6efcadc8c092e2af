#pragma once

// The tokens of one line of a document of any kind, for an editor's colours
// and a language server: a numbered line's number first, then the tokens of
// its language (BASIC through engine/BasicLexer.h, C, assembler and CASL
// through their own small lexers). Text documents have only their numbers,
// DATA documents no tokens at all. Positions count bytes of code page 932.

#include "doc/DocKind.h"
#include "model/Token.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tessel {

// What a line leaves open for the next: only a C comment runs on.
enum class LexState : std::uint8_t { Code = 0, InComment = 1 };

class SourceLexer {
public:
    // Appends the tokens of `line` (without its line end) to `out`, given
    // the state the line before it left, and returns the state it leaves.
    static LexState LexLine(DocKind kind, std::string_view line, LexState state,
                            std::vector<Token>& out);
};

} // namespace tessel
