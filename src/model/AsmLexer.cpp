#include "model/AsmLexer.h"

#include "model/LineCursor.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace tessel {
namespace {

constexpr std::string_view kMnemonics[] = {
    "ADC",  "ADD",  "AND",  "BIT",  "CALL", "CCF",  "CP",  "CPD",  "CPDR", "CPI",  "CPIR", "CPL",
    "DAA",  "DEC",  "DI",   "DJNZ", "EI",   "EX",   "EXX", "HALT", "IM",   "IN",   "INC",  "IND",
    "INDR", "INI",  "INIR", "JP",   "JR",   "LD",   "LDD", "LDDR", "LDI",  "LDIR", "NEG",  "NOP",
    "OR",   "OTDR", "OTIR", "OUT",  "OUTD", "OUTI", "POP", "PUSH", "RES",  "RET",  "RETI", "RETN",
    "RL",   "RLA",  "RLC",  "RLCA", "RLD",  "RR",   "RRA", "RRC",  "RRCA", "RRD",  "RST",  "SBC",
    "SCF",  "SET",  "SLA",  "SRA",  "SRL",  "SUB",  "XOR",
};

constexpr std::string_view kDirectives[] = {
    "DB", "DEFB", "DEFM", "DEFS", "DEFW", "DS", "DW", "END", "ENT", "EQU", "ORG", "DEFL",
};

constexpr std::string_view kRegisters[] = {
    "A",  "B",  "C",  "D",  "E",  "H",  "L",   "I",   "R",   "AF",
    "BC", "DE", "HL", "IX", "IY", "SP", "IXH", "IXL", "IYH", "IYL",
};

// Conditions, after the jumps, calls and returns only (C is a register too).
constexpr std::string_view kConditions[] = {"NZ", "Z", "NC", "PO", "PE", "P", "M"};

template <std::size_t N>
bool Holds(const std::string_view (&names)[N], std::string_view upper) {
    return std::ranges::find(names, upper) != std::end(names);
}

std::string UpperOf(std::string_view name) {
    std::string upper(name);
    for (char& c : upper)
        c = LineCursor::Upper(c);
    return upper;
}

bool TakesCondition(std::string_view mnemonic) {
    return mnemonic == "JP" || mnemonic == "JR" || mnemonic == "CALL" || mnemonic == "RET";
}

// A number from the cursor: decimal, hex with H (a leading digit: 0FFH) or
// B for binary, or after &H or #.
std::uint32_t NumberEnd(const LineCursor& cursor) {
    std::uint32_t pos = cursor.Pos();
    if (cursor.At(pos) == '&' || cursor.At(pos) == '#' || cursor.At(pos) == '$')
        pos += cursor.At(pos) == '&' ? 2 : 1;
    return cursor.NameEnd(pos, "");
}

bool StartsNumber(const LineCursor& cursor) {
    const char c = cursor.Peek();
    const char next = cursor.Peek(1);
    const bool hex =
        LineCursor::IsDigit(next) || (next >= 'A' && next <= 'F') || (next >= 'a' && next <= 'f');
    return LineCursor::IsDigit(c) || (c == '&' && (next == 'H' || next == 'h')) ||
           ((c == '#' || c == '$') && hex);
}

} // namespace

void AsmLexer::Lex(std::string_view body, std::uint32_t offset, std::vector<Token>& out) {
    LineCursor cursor(body, offset, out);
    std::string mnemonic; // once it has been seen
    bool first = true;
    while (true) {
        cursor.SkipBlanks();
        if (cursor.AtEnd())
            return;
        const char c = cursor.Peek();
        if (c == ';') {
            cursor.Emit(TokenKind::Comment, cursor.Size());
        } else if (c == '\'' || c == '"') {
            cursor.Emit(TokenKind::String, cursor.QuotedEnd(c, 0, true));
        } else if (StartsNumber(cursor)) {
            cursor.Emit(TokenKind::Number, NumberEnd(cursor));
        } else if (LineCursor::IsLetter(c) || c == '_' || c == '.' || c == '@') {
            std::uint32_t end = cursor.NameEnd(cursor.Pos(), "_.@?");
            const std::string upper = UpperOf(cursor.Slice(cursor.Pos(), end));
            if (cursor.At(end) == '\'' && upper == "AF")
                ++end; // AF', the other register pair
            if (cursor.At(end) == ':') {
                cursor.Emit(TokenKind::Label, end + 1);
            } else if (mnemonic.empty() &&
                       (Holds(kMnemonics, upper) || Holds(kDirectives, upper))) {
                mnemonic = upper;
                cursor.Emit(Holds(kMnemonics, upper) ? TokenKind::Keyword : TokenKind::Directive,
                            end);
            } else if (first) {
                cursor.Emit(TokenKind::Label, end);
            } else if (Holds(kRegisters, upper) ||
                       (TakesCondition(mnemonic) && Holds(kConditions, upper))) {
                cursor.Emit(TokenKind::Register, end);
            } else {
                cursor.Emit(TokenKind::Variable, end);
            }
        } else if (std::string_view("+-*/=<>&|^~%!()").find(c) != std::string_view::npos) {
            cursor.Emit(c == '(' || c == ')' ? TokenKind::Punctuation : TokenKind::Operator,
                        cursor.Pos() + 1);
        } else {
            cursor.Other();
        }
        first = false;
    }
}

} // namespace tessel
