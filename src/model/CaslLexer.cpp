#include "model/CaslLexer.h"

#include "model/LineCursor.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace tessel {
namespace {

constexpr std::string_view kInstructions[] = {
    "LD",   "ST",  "LAD", "ADDA", "ADDL", "SUBA", "SUBL",  "AND",  "OR",  "XOR", "CPA",  "CPL",
    "SLA",  "SRA", "SLL", "SRL",  "JMI",  "JNZ",  "JZE",   "JUMP", "JPL", "JOV", "PUSH", "POP",
    "CALL", "RET", "SVC", "NOP",  "IN",   "OUT",  "RPUSH", "RPOP", "LEA", "JPZ",
};

constexpr std::string_view kPseudo[] = {"START", "END", "DS", "DC"};

template <std::size_t N>
bool Holds(const std::string_view (&names)[N], std::string_view upper) {
    return std::ranges::find(names, upper) != std::end(names);
}

bool IsRegister(std::string_view upper) {
    return upper.size() == 3 && upper.starts_with("GR") && upper[2] >= '0' && upper[2] <= '7';
}

} // namespace

void CaslLexer::Lex(std::string_view body, std::uint32_t offset, std::vector<Token>& out) {
    LineCursor cursor(body, offset, out);
    bool first = true;
    bool instruction = false; // seen
    while (true) {
        cursor.SkipBlanks();
        if (cursor.AtEnd())
            return;
        const char c = cursor.Peek();
        const char next = cursor.Peek(1);
        if (c == ';') {
            cursor.Emit(TokenKind::Comment, cursor.Size());
        } else if (c == '\'') {
            cursor.Emit(TokenKind::String, cursor.QuotedEnd('\'', 0, true));
        } else if (LineCursor::IsDigit(c) || (c == '-' && LineCursor::IsDigit(next))) {
            cursor.Emit(TokenKind::Number, cursor.NameEnd(cursor.Pos() + 1, ""));
        } else if (c == '#' && cursor.NameEnd(cursor.Pos() + 1, "") > cursor.Pos() + 1) {
            cursor.Emit(TokenKind::Number, cursor.NameEnd(cursor.Pos() + 1, ""));
        } else if (LineCursor::IsLetter(c)) {
            const std::uint32_t end = cursor.NameEnd(cursor.Pos(), "");
            std::string upper(cursor.Slice(cursor.Pos(), end));
            for (char& u : upper)
                u = LineCursor::Upper(u);
            if (!instruction && Holds(kInstructions, upper)) {
                instruction = true;
                cursor.Emit(TokenKind::Keyword, end);
            } else if (!instruction && Holds(kPseudo, upper)) {
                instruction = true;
                cursor.Emit(TokenKind::Directive, end);
            } else if (first) {
                cursor.Emit(TokenKind::Label, end);
            } else if (IsRegister(upper)) {
                cursor.Emit(TokenKind::Register, end);
            } else {
                cursor.Emit(TokenKind::Variable, end);
            }
        } else if (c == '=' || c == '+' || c == '-') {
            cursor.Emit(TokenKind::Operator, cursor.Pos() + 1);
        } else {
            cursor.Other();
        }
        first = false;
    }
}

} // namespace tessel
