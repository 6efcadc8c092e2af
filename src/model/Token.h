#pragma once

// A token of one line of a program, for showing it: BASIC, C, assembler and
// CASL files each have their lexer (model/SourceLexer.h); text and DATA
// files have only their line numbers.

#include "engine/Keywords.h"

#include <cstdint>

namespace tessel {

enum class TokenKind : std::uint8_t {
    LineNumber,     // the digits a numbered line begins with
    Keyword,        // BASIC keyword, C keyword, assembler or CASL mnemonic
    LineReference,  // BASIC: a line number after GOTO, GOSUB, THEN, ELSE, RESTORE
    Label,          // where a label is defined
    LabelReference, // BASIC: *NAME where a line reference could stand
    String,         // with its quotes; character constants too
    Comment,        // BASIC remarks, C and assembler comments
    Number,
    Variable, // a variable, or any other name
    Operator, // + - * / = < > and the like
    Punctuation,
    Register,  // assembler and CASL registers, assembler conditions
    Directive, // C preprocessor lines, assembler and CASL pseudo-instructions
    Other,     // double-byte characters, control bytes, bytes that are no character
};

struct Token {
    TokenKind kind = TokenKind::Other;
    // Keyword: what it is (BASIC keywords have their table's category;
    // mnemonics and C keywords are statements).
    KeywordCategory category = kKcStatement;
    std::uint32_t begin = 0; // bytes into the line
    std::uint32_t end = 0;

    bool operator==(const Token&) const = default;
};

} // namespace tessel
